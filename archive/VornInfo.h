#pragma once
// The archive header as key/value rows, shared by `vorntool info` and the
// "Vorn Info" dialog. Keys are the stored field names; values are UTF-8.

#include "archive/vmVornFileDef.h"

#include <string>
#include <utility>
#include <vector>

using TInfoRow = std::pair<std::string, std::string>;

// The sixteen rows "m_ProductId" ... "m_UtcBuildTime" in header order.
std::vector<TInfoRow> GetVornInfoRows(const TVornHeader &header);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits.
std::string GuidToStr(const TVornGuid &guid);
