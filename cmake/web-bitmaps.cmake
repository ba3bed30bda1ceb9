# Writes OUTPUT, a C++ source holding the world's bitmap files (BITMAPS, a
# list of paths named <id>_<name>.bmp) for render/web/bitmap_loader.cpp.
set(entries "")
set(arrays "")
set(index 0)
foreach(path ${BITMAPS})
    get_filename_component(name ${path} NAME)
    string(REGEX MATCH "^[0-9]+" id ${name})
    file(READ ${path} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "// ${name}\nconst uint8_t bitmap${index}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND entries "    {${id}, bitmap${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Written by the web build from resources/bitmaps; do not edit.
#include \"render/web/web_bitmaps.h\"

namespace {

${arrays}}  // namespace

const WebBitmap webBitmaps[] = {
${entries}};
const int32_t webBitmapCount = ${index};
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
