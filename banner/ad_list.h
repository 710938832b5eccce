// The banner's reading of the advertisement list: the downloaded text becomes one entry per line,
// and only http and https addresses are ever shown. Qt Core only, so it is fuzzed on its own.
#pragma once

#include <QString>
#include <vector>

#include "search/string_list.h"

namespace tanmira {

// True for the addresses the banner may show: absolute http and https addresses with a host.
bool IsShowableAddress(const QString& address);

// The most of the list document's text that is read, in characters, and the most entries kept:
// a huge list neither fills the memory nor makes each rotation slow.
inline constexpr int kMaxAdListCharacters = 1 << 20;
inline constexpr int kMaxAdListEntries = 10000;

// Replaces the entries of list by the lines of the list document's text: the first
// kMaxAdListEntries lines of its first kMaxAdListCharacters characters. When the text is longer,
// its last line there, which may be cut short, is dropped.
void ReadAdListText(const QString& text, TStringList& list);

// Indexes of the entries of list that the banner may show, in list order.
std::vector<int> ShowableEntries(const TStringList& list);

}  // namespace tanmira
