// (not yet written)
int main(int, char**) { return 0; }
