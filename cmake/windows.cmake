# The Windows program: the core plus the Win32 layer, resources and the
# delay-load thunks that keep dispatch mode down to kernel32.
if(MINGW)
  enable_language(ASM)
  enable_language(RC)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
  set(TALVERN_STATIC_LINK -static -static-libgcc -static-libstdc++)
  set(TALVERN_UNICODE_ENTRY -municode)
  # No link time in the PE header: the same sources give the same bytes, so the release
  # packages' checksums stay put.
  add_link_options(-Wl,--no-insert-timestamp)
  # The release exe is built for size: -Os (start-up time is process creation, not the few
  # thousand instructions Talvern runs), and each function and datum in a section of its
  # own, so the linker drops what nothing refers to (code with unwind data stays: ld keeps
  # every .pdata). The link map (talvern.map) shows what is left. Without gcc's IPA-SRA and
  # partial inlining, which give each file private copies of the string members it calls
  # (and of their failure paths), and without type information for classes (nothing asks
  # for it).
  set(TALVERN_SIZE_FLAGS $<$<CONFIG:Release>:-Os -ffunction-sections -fdata-sections -fno-rtti
      $<$<CXX_COMPILER_ID:GNU>:-fno-ipa-sra -fno-partial-inlining>>)
  target_compile_options(talvern_core PRIVATE ${TALVERN_SIZE_FLAGS})
endif()
# libstdc++'s headers declare std::string and std::wstring instantiated in the library, whose
# prebuilt copies come whole (about 100 KB on x86). _GLIBCXX_ASSERTIONS drops those
# declarations (and checks bounds), so only the members used are compiled in.
# A failed check names only its line and condition: app/library_failures.h, read before
# every source, drops the header path and full signature each check site would keep (10 KB).
# Nothing in the program throws: the library's failures (its throw helpers, operator new, its
# checks) end the run with Talvern's message in app/library_failures-win32.cc. Without
# exceptions the exe carries no unwinder, personality routine or exception classes (on x86
# libgcc's DWARF unwinder alone was 24 KB). x86 then needs no unwind tables at all (its
# structured exceptions walk frames, not tables); x64 keeps .pdata/.xdata, by which Windows
# walks every stack, a crash's included.
if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(TALVERN_LIBSTDCXX ON)
  set(TALVERN_LIBSTDCXX_FLAGS "SHELL:-include ${CMAKE_CURRENT_SOURCE_DIR}/app/library_failures.h"
      -fno-exceptions)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND TALVERN_LIBSTDCXX_FLAGS -fno-asynchronous-unwind-tables)
  endif()
  target_compile_definitions(talvern_core PRIVATE _GLIBCXX_ASSERTIONS)
  target_compile_options(talvern_core PRIVATE ${TALVERN_LIBSTDCXX_FLAGS})
endif()

# Win32 layer objects; each folder adds its *-win32.cc files.
add_library(talvern_win32 OBJECT)
target_link_libraries(talvern_win32 PUBLIC talvern_core)
target_compile_definitions(talvern_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MINGW)
  target_compile_options(talvern_win32 PRIVATE ${TALVERN_SIZE_FLAGS})
endif()
if(TALVERN_LIBSTDCXX)
  target_compile_definitions(talvern_win32 PRIVATE _GLIBCXX_ASSERTIONS)
  target_compile_options(talvern_win32 PRIVATE ${TALVERN_LIBSTDCXX_FLAGS})
endif()

add_executable(talvern WIN32 $<TARGET_OBJECTS:talvern_win32>)
set_target_properties(talvern PROPERTIES OUTPUT_NAME talvern)
target_link_libraries(talvern PRIVATE talvern_core)

# Resources: manifest, icon and version information, numbered from the project. The
# manifest names the build's own architecture: Windows refuses to start an x64 program
# that asks for the x86 common controls.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TALVERN_MANIFEST_ARCH amd64)
else()
  set(TALVERN_MANIFEST_ARCH x86)
endif()
configure_file(platform/version.h.in talvern_version.h @ONLY)
configure_file(platform/talvern.manifest.in talvern.manifest.xml @ONLY)
# Stored without comments and indentation, which Windows never reads (about 700 bytes).
file(READ ${CMAKE_CURRENT_BINARY_DIR}/talvern.manifest.xml manifest)
string(REGEX REPLACE "<!--[^>]*-->" "" manifest "${manifest}")
string(REGEX REPLACE "\n *" " " manifest "${manifest}")
string(REGEX REPLACE "> +<" "><" manifest "${manifest}")
file(CONFIGURE OUTPUT talvern.manifest CONTENT "${manifest}")
target_sources(talvern PRIVATE platform/talvern.rc)
target_include_directories(talvern PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
set_source_files_properties(platform/talvern.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/platform/talvern.ico;${CMAKE_CURRENT_BINARY_DIR}/talvern.manifest")

set(TALVERN_DELAYED_DLLS user32 gdi32 comctl32 comdlg32 ole32 oleaut32 shell32
    advapi32 uxtheme shlwapi version)

if(MINGW)
  set(TALVERN_DELAYLOAD_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/delayload.cmake)
  # Binds what the objects of objects_target import from the DLLs named after it to
  # delay-load thunks linked into target (cmake/delayload.cmake); anything else they
  # import must come from kernel32 or msvcrt, which load at start-up anyway.
  function(talvern_delay_load target objects_target)
    set(pairs)
    foreach(dll IN LISTS ARGN)
      find_library(IMPLIB_${dll} NAMES lib${dll}.a REQUIRED)
      list(APPEND pairs "${dll}.dll=${IMPLIB_${dll}}")
    endforeach()
    set(direct)
    foreach(lib kernel32 msvcrt)
      find_library(IMPLIB_${lib} NAMES lib${lib}.a REQUIRED)
      list(APPEND direct "${IMPLIB_${lib}}")
    endforeach()
    set(asm ${CMAKE_CURRENT_BINARY_DIR}/${target}-delayload.S)
    add_custom_command(OUTPUT ${asm}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DOUT=${asm}
              -DPOINTER_SIZE=${CMAKE_SIZEOF_VOID_P}
              "-DOBJECTS=$<TARGET_OBJECTS:${objects_target}>" "-DDLLS=${pairs}"
              "-DDIRECT=${direct}" -P ${TALVERN_DELAYLOAD_SCRIPT}
      DEPENDS $<TARGET_OBJECTS:${objects_target}> ${TALVERN_DELAYLOAD_SCRIPT}
      COMMENT "Writing delay-load thunks for ${target}"
      VERBATIM)
    target_sources(${target} PRIVATE ${asm})
  endfunction()

  target_link_options(talvern PRIVATE ${TALVERN_UNICODE_ENTRY} ${TALVERN_STATIC_LINK}
    $<$<CONFIG:Release>:-s -Wl,--gc-sections -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/talvern.map>)
  talvern_delay_load(talvern talvern_win32 ${TALVERN_DELAYED_DLLS})
  target_link_libraries(talvern PRIVATE delayimp
    user32 gdi32 comctl32 comdlg32 ole32 oleaut32 uuid shell32 advapi32 uxtheme shlwapi version)
elseif(MSVC)
  set(delay_flags)
  foreach(dll IN LISTS TALVERN_DELAYED_DLLS)
    list(APPEND delay_flags /DELAYLOAD:${dll}.dll)
  endforeach()
  target_link_options(talvern PRIVATE ${delay_flags})
  target_link_libraries(talvern PRIVATE delayimp
    user32 gdi32 comctl32 comdlg32 ole32 oleaut32 uuid shell32 advapi32 uxtheme shlwapi version)
  set_property(TARGET talvern PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded")
endif()
