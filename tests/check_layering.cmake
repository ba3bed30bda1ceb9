# Fails when a file of the portable core includes a platform header, the
# simulation a render header, or a tool a test.
# Only the backend folders (render/, settings/ and run/ with win32/, sdl/ or
# web/, host/ with win32/, sdl/, x11/ or web/) may; they are judged by their place inside the project, so a
# checkout below a folder that happens to be called "sdl" is still checked.
file(GLOB_RECURSE core_files
    ${SOURCE_DIR}/sim/*.h ${SOURCE_DIR}/sim/*.cpp
    ${SOURCE_DIR}/settings/*.h ${SOURCE_DIR}/settings/*.cpp
    ${SOURCE_DIR}/run/*.h ${SOURCE_DIR}/run/*.cpp
    ${SOURCE_DIR}/host/*.h ${SOURCE_DIR}/host/*.cpp
    ${SOURCE_DIR}/render/*.h ${SOURCE_DIR}/render/*.cpp
    ${SOURCE_DIR}/platform/*.h
    ${SOURCE_DIR}/tools/artgen/*.h ${SOURCE_DIR}/tools/artgen/*.cpp)
set(platform_headers "windows|windef|winbase|wingdi|winuser|winreg|winnt|windowsx|mmsystem|commctrl|prsht|objbase|shellapi|scrnsave|ddraw|dinput|d3d[0-9a-z]*|dsound|SDL[^>\"]*|X11/[^>\"]*|emscripten[^>\"]*")
set(bad "")
foreach(f ${core_files})
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${f})
    if(relative MATCHES "^((render|settings|run)/(win32|sdl|web)|host/(win32|sdl|x11|web))/")
        continue()
    endif()
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](${platform_headers})\\.h[>\"]")
    if(lines)
        list(APPEND bad "${relative}: ${lines}")
    endif()
endforeach()
if(bad)
    string(REPLACE ";" "\n" bad "${bad}")
    message(FATAL_ERROR "platform header in the portable core:\n${bad}")
endif()

# The host is a library to the program: the run includes the host, never
# the other way round (the host declares the handler that the run supplies).
file(GLOB_RECURSE host_files ${SOURCE_DIR}/host/*.h ${SOURCE_DIR}/host/*.cpp)
set(upward "")
foreach(f ${host_files})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]run/")
    if(lines)
        file(RELATIVE_PATH relative ${SOURCE_DIR} ${f})
        list(APPEND upward "${relative}: ${lines}")
    endif()
endforeach()
if(upward)
    string(REPLACE ";" "\n" upward "${upward}")
    message(FATAL_ERROR "the host includes the run:\n${upward}")
endif()

# The simulation only simulates: it draws through the display it is handed
# (the world's painter), never through a render header.
file(GLOB_RECURSE sim_files ${SOURCE_DIR}/sim/*.h ${SOURCE_DIR}/sim/*.cpp)
set(drawing "")
foreach(f ${sim_files})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]render/")
    if(lines)
        file(RELATIVE_PATH relative ${SOURCE_DIR} ${f})
        list(APPEND drawing "${relative}: ${lines}")
    endif()
endforeach()
if(drawing)
    string(REPLACE ";" "\n" drawing "${drawing}")
    message(FATAL_ERROR "the simulation includes the drawing:\n${drawing}")
endif()

# Tools are built from the product's layers, never from a test.
file(GLOB_RECURSE tool_files ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
set(tested "")
foreach(f ${tool_files})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]tests/")
    if(lines)
        file(RELATIVE_PATH relative ${SOURCE_DIR} ${f})
        list(APPEND tested "${relative}: ${lines}")
    endif()
endforeach()
if(tested)
    string(REPLACE ";" "\n" tested "${tested}")
    message(FATAL_ERROR "a tool includes a test:\n${tested}")
endif()
