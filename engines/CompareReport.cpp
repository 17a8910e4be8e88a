#include "engines/CompareReport.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "engines/CappedPath.h"

namespace {

constexpr TCompareState SummaryOrder[] = {TCompareState::OnlyInA, TCompareState::OnlyInB, TCompareState::Changed,
                                          TCompareState::Repacked, TCompareState::Same};

std::string Count(uint64_t files)
{
    return std::to_string(files) + (files == 1 ? " file" : " files");
}

std::string CsvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string JsonString(const std::string &text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += {'\\', c};
        else if (uint8_t(c) < 0x20)
            quoted += FormatStr("\\u%04x", unsigned(c));
        else
            quoted += c;
    }
    return quoted + '"';
}

std::string SizeField(bool present, uint32_t size)
{
    return present ? std::to_string(size) : std::string();
}

std::string CrcField(bool present, uint32_t crc)
{
    return present && crc != 0 ? FormatStr("%08X", crc) : std::string();
}

} // namespace

TCompareReport::TStateSet TCompareReport::Differences()
{
    TStateSet states{};
    states[size_t(TCompareState::OnlyInA)] = true;
    states[size_t(TCompareState::OnlyInB)] = true;
    states[size_t(TCompareState::Changed)] = true;
    return states;
}

TCompareReport::TCompareReport(const TCompareResult &result, std::string nameA, std::string nameB)
    : m_Result(result), m_NameA(std::move(nameA)), m_NameB(std::move(nameB))
{
}

bool TCompareReport::Listed(const TCompareItem &item, const TStateSet &states)
{
    return states[size_t(item.State)] && !(item.IsFolder && item.EntryA != 0 && item.EntryB != 0);
}

std::string TCompareReport::DisplayPath(const TCompareResult &result, size_t index)
{
    return AnsiToUtf8(CompareItemPath(result.Items, index)) + (result.Items[index].IsFolder ? "/" : "");
}

void TCompareReport::ForEachListed(const TStateSet &states, const TListedVisitor &visit,
                                   const TTooLongSink &tooLong) const
{
    // Items come depth first, each folder before everything below it: the
    // open folders form a stack, each with the length of its path and "/".
    struct TOpenFolder {
        uint32_t Item;
        uint64_t PrefixLength;
    };
    std::vector<TOpenFolder> open;
    TCappedPath path;
    const std::vector<TCompareItem> &items = m_Result.Items;
    for (size_t i = 0; i < items.size(); ++i) {
        const TCompareItem &item = items[i];
        while (!open.empty() && open.back().Item != item.Parent)
            open.pop_back();
        path.CutTo(open.empty() ? 0 : open.back().PrefixLength);
        path.Append(item.Name);
        if (Listed(item, states)) {
            const std::string shown = AnsiToUtf8(path.Shown()) + (item.IsFolder ? "/" : "");
            if (path.TooLong() && tooLong)
                tooLong(shown);
            else
                visit(item, shown);
        }
        if (item.IsFolder) {
            path.Append('/');
            open.push_back({uint32_t(i), path.Length()});
        }
    }
}

std::string TCompareReport::SummaryText() const
{
    const TCompareSummary &s = m_Result.Summary;
    std::string text;
    for (const TCompareState state : SummaryOrder) {
        const size_t i = size_t(state);
        const uint64_t bytes = state == TCompareState::OnlyInA ? s.BytesA[i] : s.BytesB[i];
        if (!text.empty())
            text += "; ";
        text += std::string(CompareStateText(state)) + ": " + Count(s.Files[i]) + ", ";
        if (state == TCompareState::Changed)
            text += std::to_string(s.BytesA[i]) + " -> ";
        text += std::to_string(bytes) + " bytes";
    }
    return text;
}

std::string TCompareReport::Lines(const TStateSet &states) const
{
    std::string text;
    WriteLines(states, [&](const std::string &piece) { text += piece; });
    return text;
}

void TCompareReport::WriteLines(const TStateSet &states, const TTextSink &out, const TTooLongSink &tooLong) const
{
    ForEachListed(
        states,
        [&](const TCompareItem &item, const std::string &path) {
            out(std::string(CompareStateText(item.State)) + "\t" + path + "\n");
        },
        tooLong);
}

std::string TCompareReport::Text(const TStateSet &states) const
{
    return "A: " + m_NameA + "\nB: " + m_NameB + "\n" + SummaryText() + "\n\n" + Lines(states);
}

std::string TCompareReport::Csv(const TStateSet &states) const
{
    std::string text = "State,Path,Kind,Size A,Size B,CRC-32 A,CRC-32 B\r\n";
    ForEachListed(
        states,
        [&](const TCompareItem &item, const std::string &path) {
            const bool inA = item.EntryA != 0 && !item.IsFolder;
            const bool inB = item.EntryB != 0 && !item.IsFolder;
            text += std::string(CompareStateText(item.State)) + "," + CsvField(path) + ","
                    + (item.IsFolder ? "folder" : "file") + "," + SizeField(inA, item.SizeA) + ","
                    + SizeField(inB, item.SizeB) + "," + CrcField(inA, item.Crc32A) + ","
                    + CrcField(inB, item.Crc32B) + "\r\n";
        },
        {});
    return text;
}

std::string TCompareReport::Json(const TStateSet &states) const
{
    std::string text;
    WriteJson(states, [&](const std::string &piece) { text += piece; });
    return text;
}

void TCompareReport::WriteJson(const TStateSet &states, const TTextSink &out, const TTooLongSink &tooLong) const
{
    const TCompareSummary &s = m_Result.Summary;
    std::string text = "{\"a\": " + JsonString(m_NameA) + ", \"b\": " + JsonString(m_NameB)
                       + ", \"differ\": " + (m_Result.Differ ? "true" : "false") + ",\n \"summary\": {";
    for (const TCompareState state : SummaryOrder) {
        const size_t i = size_t(state);
        text += FormatStr("%s\"%s\": {\"files\": %llu, \"bytesA\": %llu, \"bytesB\": %llu}",
                          state == SummaryOrder[0] ? "" : ", ", CompareStateKeyword(state),
                          static_cast<unsigned long long>(s.Files[i]), static_cast<unsigned long long>(s.BytesA[i]),
                          static_cast<unsigned long long>(s.BytesB[i]));
    }
    out(text + "},\n \"entries\": [");
    const char *separator = "\n";
    ForEachListed(
        states,
        [&](const TCompareItem &item, const std::string &path) {
            std::string entry = separator;
            separator = ",\n";
            entry += "  {\"path\": " + JsonString(path) + ", \"kind\": \"" + (item.IsFolder ? "folder" : "file")
                     + "\", \"state\": \"" + CompareStateKeyword(item.State) + "\"";
            if (!item.IsFolder && item.EntryA != 0)
                entry += FormatStr(", \"sizeA\": %u, \"crcA\": \"%08X\"", item.SizeA, item.Crc32A);
            if (!item.IsFolder && item.EntryB != 0)
                entry += FormatStr(", \"sizeB\": %u, \"crcB\": \"%08X\"", item.SizeB, item.Crc32B);
            out(entry + "}");
        },
        tooLong);
    out("\n]}\n");
}
