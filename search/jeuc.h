// jeuc: conversion of Shift_JIS keywords to EUC-JP, so that EUC-JP files can be searched
// byte-wise.
#pragma once

#include <cstdint>
#include <string>

namespace tanmira::jeuc {

// True for 0x80-0x9F and 0xE0-0xFC (0x80 included, unlike the system's Shift_JIS lead bytes).
bool IsSjisLeadByte(unsigned char b);

// Shift_JIS code (lead byte high) to its JIS X 0208 row and cell, with this unit's edge rules.
std::uint16_t SjisToJis(std::uint16_t code);

// JIS code to EUC code: one-byte katakana get the single shift 0x8E; rows and cells get the top
// bit; other one-byte codes pass unchanged.
std::uint16_t JisToEuc(std::uint16_t code);

// The keyword s in EUC-JP; every lead byte yields two output bytes, also at the very end.
std::string SjisToEuc(const std::string& s);

}  // namespace tanmira::jeuc
