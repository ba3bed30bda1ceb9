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

# forbid_includes(FOLDER PREFIX WHAT): no file under FOLDER includes a header
# under PREFIX; the message names WHAT and every offending line.
function(forbid_includes folder prefix what)
    file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    set(found "")
    foreach(f ${files})
        file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]${prefix}/")
        if(lines)
            file(RELATIVE_PATH relative ${SOURCE_DIR} ${f})
            list(APPEND found "${relative}: ${lines}")
        endif()
    endforeach()
    if(found)
        string(REPLACE ";" "\n" found "${found}")
        message(FATAL_ERROR "${what}:\n${found}")
    endif()
endfunction()

# The host is a library to the program: the run includes the host, never
# the other way round (the host declares the handler that the run supplies).
forbid_includes(host run "the host includes the run")
# The simulation only simulates: it draws through the display it is handed
# (the world's painter), never through a render header.
forbid_includes(sim render "the simulation includes the drawing")
# Tools are built from the product's layers, never from a test.
forbid_includes(tools tests "a tool includes a test")
