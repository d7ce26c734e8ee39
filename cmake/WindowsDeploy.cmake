# The runnable folder on Windows: the program, the help document, the Qt and
# compiler runtime DLLs it imports, and the plugins Qt loads at start-up
# (platform integration and style). `cmake --install` fills it.

install(FILES
  $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
  DESTINATION ${QEL_PROGRAM_DIR})
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
  DESTINATION ${QEL_PROGRAM_DIR}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
  DESTINATION ${QEL_PROGRAM_DIR}/styles)

# The compiler's own runtime, asked of the compiler so the thread model's
# copies are taken (posix, not win32). GCC's own runtime unwinds with DWARF-2
# on 32-bit Windows and with SEH on 64-bit Windows.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_qel_libgcc libgcc_s_seh-1.dll)
else()
  set(_qel_libgcc libgcc_s_dw2-1.dll)
endif()
foreach(dll libstdc++-6.dll ${_qel_libgcc} libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE _qel_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_qel_dll}" OR NOT EXISTS "${_qel_dll}")
    message(FATAL_ERROR "The compiler does not know where ${dll} is")
  endif()
  install(FILES ${_qel_dll} DESTINATION ${QEL_PROGRAM_DIR})
endforeach()
