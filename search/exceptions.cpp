// Messages of the program's exceptions.
#include "search/exceptions.h"

#include "search/text_rules.h"

namespace tanmira {

EStringListError::EStringListError(long long index)
    : Exception("リストのインデックスが範囲を超えています (" + std::to_string(index) + ")") {}

EFOpenError::EFOpenError(const std::string& path, int others)
    : Exception("ファイル " + path + " は開けません" +
                (others > 0 ? "\nほかに " + DecimalText(others) + " 個のファイルも開けません"
                            : std::string())) {}

}  // namespace tanmira
