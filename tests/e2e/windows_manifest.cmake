# The manifest built into quillow.exe declares per-monitor DPI awareness (PerMonitorV2, with
# the older per-monitor and system-wide declarations as fallbacks), so Windows does not
# stretch the window as a bitmap on a scaled display. Reads the program's printable strings.
# Usage: cmake -DPROGRAM=quillow.exe -P windows_manifest.cmake
file(STRINGS "${PROGRAM}" manifest REGEX "dpiAware")
string(JOIN "\n" manifest ${manifest})
foreach(wanted
    "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"
    "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>")
  string(FIND "${manifest}" "${wanted}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} does not declare ${wanted}; its dpiAware lines:\n${manifest}")
  endif()
endforeach()
message(STATUS "${PROGRAM} declares per-monitor DPI awareness")
