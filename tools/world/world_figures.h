// The figures tovrine-world prints for a frame.
#pragma once

#include <cstdint>
#include <string>

struct WorldFigures {
    int32_t vobs = 0;
    int32_t history = 0;
    int32_t peak = 0;
    int32_t food = 0;
    int32_t remains = 0;
    int32_t whirls = 0;
    // 64 bits: 5000 Vobs of strength up to 9999999 overflow 32.
    int64_t strengthSum = 0;
    int64_t xSum = 0;
    int64_t ySum = 0;
};

// Counts of the four lists and sums over vobList's entities; a list that
// does not exist counts as empty.
WorldFigures collectWorldFigures();

// "frame vobs history peak food remains whirls strengthSum xSum ySum".
std::string formatWorldFigures(int64_t frame, const WorldFigures& figures);
