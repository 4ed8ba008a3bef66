// record_format.h - the record's layout and checksums, shared by the game
// (records.cpp writes and reads it) and by what makes records outside the
// game: the record tool (tools/record) and the tests.
//
// The record is one line of decimal fields, each followed by "|":
//
//   0..24    settings entries          25  sum of k * entry k
//   26..33   badge flags, 32 a word    34  sum of the eight words
//   35..55   board size 1: ten (top-ten, last-ten) pairs, then a checksum
//   56..76   board size 2, the same
//   77..97   board size 3, the same
//
// Checksums wrap at 32 bits; they are summed in unsigned arithmetic so that
// no record, however hostile, makes a signed int overflow.
//
// Depends on: the C++ library.

#ifndef NUBRIX_GAME_RECORD_FORMAT_H
#define NUBRIX_GAME_RECORD_FORMAT_H

#include <cstdint>
#include <string>

namespace record {

const int kSettings = 25;
const int kBadgeWords = 8;
const int kPlaces = 10;  // places in each score list
const int kSizes = 3;    // board sizes with score tables

uint32_t SettingsSum(const int* settings);
uint32_t BadgeSum(const uint32_t* words);
// Board size `size` (0..2): its top-ten and last-ten lists.
uint32_t ScoreSum(int size, const int* tops, const int* lasts);

// The whole record, as the game saves it: kSettings settings, kBadgeWords
// badge words, and per board size kPlaces tops and kPlaces lasts (tops and
// lasts hold kSizes * kPlaces values each, size by size).
std::string Format(const int* settings, const uint32_t* words, const int* tops, const int* lasts);

}  // namespace record

#endif
