# Writes SITE/index.html from TEMPLATE with the sizes of the files the page downloads, which
# its loading bar counts against: cmake -DSITE=... -DTEMPLATE=... -P write_page.cmake
foreach(file quillow.wasm quillow-scalar.wasm quillow.data)
  if(NOT EXISTS "${SITE}/${file}")
    message(FATAL_ERROR "write_page: ${SITE}/${file} is missing")
  endif()
endforeach()
file(SIZE "${SITE}/quillow.wasm" WASM_SIMD128_BYTES)
file(SIZE "${SITE}/quillow-scalar.wasm" WASM_SCALAR_BYTES)
file(SIZE "${SITE}/quillow.data" DATA_BYTES)
configure_file("${TEMPLATE}" "${SITE}/index.html" @ONLY)
