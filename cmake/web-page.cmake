# The web page (the `web` preset, emscripten): the portable core with the
# memory surfaces and the page's backend, linked twice: once with the wasm
# beside the script (for a web server) and once with it inside (one file
# that opens from disk). scripts/web-page.py then puts the page around them
# in build/web/.
file(GLOB TOVRINE_WEB_SOURCES CONFIGURE_DEPENDS
    render/memory/*.cpp render/web/*.cpp run/web/*.cpp host/web/*.cpp)
list(APPEND TOVRINE_WEB_SOURCES ${PROJECT_SOURCE_DIR}/platform/web.cpp)
# The calls the page makes: linked into each program (an object library's
# objects alone make no program).
list(FILTER TOVRINE_WEB_SOURCES EXCLUDE REGEX "run/web/web_run\\.cpp$")

# Only the world's own pictures: the configuration pages' artwork is not shown.
set(TOVRINE_WEB_BITMAP_IDS 106 107 110 111 112 113 116)
set(TOVRINE_WEB_BITMAPS "")
foreach(id ${TOVRINE_WEB_BITMAP_IDS})
    file(GLOB found ${PROJECT_SOURCE_DIR}/resources/bitmaps/${id}_*.bmp)
    list(SORT found)
    list(GET found 0 first)
    list(APPEND TOVRINE_WEB_BITMAPS ${first})
endforeach()
set(TOVRINE_WEB_BITMAP_SOURCE ${PROJECT_BINARY_DIR}/generated/web_bitmaps.cpp)
add_custom_command(OUTPUT ${TOVRINE_WEB_BITMAP_SOURCE}
    COMMAND ${CMAKE_COMMAND} "-DBITMAPS=${TOVRINE_WEB_BITMAPS}" -DOUTPUT=${TOVRINE_WEB_BITMAP_SOURCE}
            -P ${PROJECT_SOURCE_DIR}/cmake/web-bitmaps.cmake
    DEPENDS ${TOVRINE_WEB_BITMAPS} ${PROJECT_SOURCE_DIR}/cmake/web-bitmaps.cmake
    COMMENT "The world's bitmaps for the page" VERBATIM)

add_library(tovrine_web OBJECT ${TOVRINE_CORE_SOURCES} ${TOVRINE_WEB_SOURCES}
    ${TOVRINE_WEB_BITMAP_SOURCE})
target_include_directories(tovrine_web PUBLIC ${PROJECT_SOURCE_DIR} ${TOVRINE_VERSION_DIR})
# A world too large for memory is caught as std::bad_alloc, as natively.
target_compile_options(tovrine_web PUBLIC -fexceptions -O2)
# The copy of each frame onto the canvas: its row loops pay for optimising.
set_source_files_properties(${PROJECT_SOURCE_DIR}/render/memory/scaled_copy.cpp
    ${PROJECT_SOURCE_DIR}/render/memory/area_mean.cpp PROPERTIES COMPILE_OPTIONS -O3)

# emcc runs node for its optimised links and needs Debian's node modules
# (acorn); the node on the PATH may not look there.
set(TOVRINE_NODE_PATH /usr/share/nodejs:/usr/lib/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${TOVRINE_NODE_PATH})

set(TOVRINE_WEB_EXPORTS
    record_buffer load_preset load_current preset_count preset_name check_record start seed
    message tick civilizations frame_count stats present present_canvas canvas_changes width height key
    fields_json entity_notice set_field set_display_field follow_at let_go followed)
list(TRANSFORM TOVRINE_WEB_EXPORTS PREPEND "'_tovrine_")
list(TRANSFORM TOVRINE_WEB_EXPORTS APPEND "'")
string(REPLACE ";" "," TOVRINE_WEB_EXPORTS "${TOVRINE_WEB_EXPORTS}")
set(TOVRINE_WEB_LINK_OPTIONS
    -O2 -fexceptions
    -sMODULARIZE=1 -sEXPORT_NAME=createTovrine -sENVIRONMENT=web,worker
    -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2147483648
    -sFILESYSTEM=0
    "-sEXPORTED_FUNCTIONS=[${TOVRINE_WEB_EXPORTS}]"
    "-sEXPORTED_RUNTIME_METHODS=['ccall','cwrap','UTF8ToString']")

# Both are tovrine-engine.js, in folders of their own: the served one's
# script names its tovrine-engine.wasm.
foreach(kind site single)
    add_executable(tovrine-engine-${kind} ${PROJECT_SOURCE_DIR}/run/web/web_run.cpp)
    target_link_libraries(tovrine-engine-${kind} PRIVATE tovrine_web)
    target_link_options(tovrine-engine-${kind} PRIVATE ${TOVRINE_WEB_LINK_OPTIONS})
    set_target_properties(tovrine-engine-${kind} PROPERTIES OUTPUT_NAME tovrine-engine
        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/engine-${kind})
endforeach()
target_link_options(tovrine-engine-single PRIVATE -sSINGLE_FILE=1)

# The page around them: build/web/tovrine.html (one file) and build/web/site/.
set(TOVRINE_WEB_OUT ${PROJECT_SOURCE_DIR}/build/web CACHE PATH "Where make web puts the page")
file(GLOB TOVRINE_PAGE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/web/page/*)
find_program(TOVRINE_PYTHON NAMES python3 REQUIRED)
# The installed app's icons, drawn at their sizes by the artwork generator
# (resources/web), compressed for the page (ImageMagick, without time stamps
# in the PNG).
set(TOVRINE_WEB_ICONS)
foreach(icon icon-192 icon-512 icon-maskable-512)
    set(drawn ${PROJECT_SOURCE_DIR}/resources/web/${icon}.png)
    set(shipped ${PROJECT_BINARY_DIR}/icons/${icon}.png)
    add_custom_command(OUTPUT ${shipped}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons
        COMMAND convert ${drawn} -strip -define png:exclude-chunks=date,time ${shipped}
        DEPENDS ${drawn}
        VERBATIM)
    list(APPEND TOVRINE_WEB_ICONS ${shipped})
endforeach()
add_custom_command(OUTPUT ${TOVRINE_WEB_OUT}/tovrine.html ${TOVRINE_WEB_OUT}/site/index.html
    COMMAND ${TOVRINE_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/web-page.py
            --page ${PROJECT_SOURCE_DIR}/web/page --engine-site ${PROJECT_BINARY_DIR}/engine-site
            --engine-single ${PROJECT_BINARY_DIR}/engine-single --out ${TOVRINE_WEB_OUT}
            --bitmaps ${TOVRINE_WEB_BITMAPS} --icons ${TOVRINE_WEB_ICONS} --version ${PROJECT_VERSION}
    DEPENDS tovrine-engine-site tovrine-engine-single ${TOVRINE_PAGE_FILES} ${TOVRINE_WEB_ICONS}
            ${PROJECT_SOURCE_DIR}/scripts/web-page.py
    COMMENT "The page in ${TOVRINE_WEB_OUT}" VERBATIM)
add_custom_target(tovrine-page ALL
    DEPENDS ${TOVRINE_WEB_OUT}/tovrine.html ${TOVRINE_WEB_OUT}/site/index.html)
