# Fails when a file of the portable core includes a platform header.
# Backends live in the platform folders (win32/, sdl/) and are not scanned.
file(GLOB_RECURSE core_files
    ${SOURCE_DIR}/sim/*.h ${SOURCE_DIR}/sim/*.cpp
    ${SOURCE_DIR}/settings/*.h ${SOURCE_DIR}/settings/*.cpp
    ${SOURCE_DIR}/run/*.h ${SOURCE_DIR}/run/*.cpp
    ${SOURCE_DIR}/host/*.h ${SOURCE_DIR}/host/*.cpp
    ${SOURCE_DIR}/render/*.h ${SOURCE_DIR}/render/*.cpp
    ${SOURCE_DIR}/tools/artgen/*.h ${SOURCE_DIR}/tools/artgen/*.cpp)
set(bad "")
foreach(f ${core_files})
    if(f MATCHES "/(win32|sdl)/")
        continue()
    endif()
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](windows|windef|winuser|winreg|ddraw|dinput|mmsystem|commctrl|prsht|objbase|SDL[^>\"]*)\\.h[>\"]")
    if(lines)
        list(APPEND bad "${f}: ${lines}")
    endif()
endforeach()
if(bad)
    string(REPLACE ";" "\n" bad "${bad}")
    message(FATAL_ERROR "platform header in the portable core:\n${bad}")
endif()
