#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "screens/settings.h"

// A level's records file holds the square of its best score as a number in
// text; the reader takes the square root.

// "Save/records-" + the level index in decimal + ".rcd"; a slower pace's
// records are kept apart, in "Save/records-" + index + "-70.rcd".
std::string recordsFileName(int32_t levelIndex, int32_t pace = FullPace);

// Reads the number a records file holds into `square`; when the text holds
// no number, `square` keeps its value. Pure.
void readRecordSquare(std::string_view text, double& square);

// The record a stored square stands for: its square root cut toward zero.
// A negative square, or one whose root is not finite, gives 0.
int32_t recordFromSquare(double square);

// The text written for a new record: the square of `score` in plain integer
// digits, so that it reads back exactly for every score.
std::string recordSquareText(int32_t score);

// Replaces the records file of `levelIndex` (atomically) with the square of
// `score`. False when it could not be written; the old file then stays.
bool writeRecordFile(int32_t levelIndex, int32_t score, int32_t pace = FullPace);
