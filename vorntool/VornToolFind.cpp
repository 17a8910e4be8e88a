// vorntool find ARCHIVE... [criteria] [--json]: prints the path of every
// entry that meets all criteria, one per line ("archive:path" when several
// archives are given; folders end in "/"). Exit status 0 when something was
// found, 1 when nothing, 2 on an error (a bad pattern, an archive that won't
// open, an entry that can't be searched), as grep does. --damaged decodes the
// files the other criteria find and keeps those that fail the check, as
// `vorntool test` finds them; they are results there, not errors.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"
#include "engines/ContentPattern.h"
#include "engines/FoundFilters.h"
#include "engines/NameIndex.h"
#include "engines/NameSearch.h"
#include "vorntool/VornToolJson.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const char *const UsageText =
    "usage: vorntool find ARCHIVE... [--name GLOB | --regex RE | --substring TEXT] [--path] [--case]\n"
    "                    [--contains TEXT | --hex BYTES] [--type EXT]... [--min-size N] [--max-size N]\n"
    "                    [--format raw|zlib|lzo]... [--damaged] [--json]\n";

struct TFindArguments {
    std::vector<std::string> archives;
    TFindCriteria criteria;
    bool json = false;
};

uint64_t ParseSize(const std::string &text)
{
    size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, 10);
    } catch (const std::exception &) {
        used = 0;
    }
    if (text.empty() || used != text.size() || text[0] == '-')
        throw Exception("Not a size in bytes: " + text);
    return value;
}

uint8_t ParseFormat(const std::string &text)
{
    for (uint16_t format = 0; format < 3; ++format)
        if (SameTextAsciiCase(text, FormatToStr(format)))
            return FormatBit(format);
    throw Exception("Unknown storage format " + text + " (raw, zlib or lzo)");
}

TFindArguments ParseArguments(const std::vector<std::string> &arguments)
{
    TFindArguments parsed;
    bool nameGiven = false;
    bool contentGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &word = arguments[i];
        auto value = [&]() -> const std::string & {
            if (++i == arguments.size())
                throw Exception(word + " needs a value");
            return arguments[i];
        };
        auto name = [&](TNameMode mode) {
            if (nameGiven)
                throw Exception("Give only one of --name, --regex and --substring");
            nameGiven = true;
            parsed.criteria.NameMode = mode;
            parsed.criteria.Name = value();
        };
        auto content = [&](TContentMode mode) {
            if (contentGiven)
                throw Exception("Give only one of --contains and --hex");
            contentGiven = true;
            parsed.criteria.ContentMode = mode;
            parsed.criteria.Content = value();
        };
        if (word.empty() || word[0] != '-')
            parsed.archives.push_back(word);
        else if (word == "--name")
            name(TNameMode::Glob);
        else if (word == "--regex")
            name(TNameMode::Regex);
        else if (word == "--substring")
            name(TNameMode::Substring);
        else if (word == "--path")
            parsed.criteria.WholePath = true;
        else if (word == "--case")
            parsed.criteria.IgnoreCase = false;
        else if (word == "--contains")
            content(TContentMode::Text);
        else if (word == "--hex")
            content(TContentMode::Hex);
        else if (word == "--type")
            parsed.criteria.Types.push_back(value());
        else if (word == "--min-size")
            parsed.criteria.MinSize = ParseSize(value());
        else if (word == "--max-size")
            parsed.criteria.MaxSize = ParseSize(value());
        else if (word == "--format")
            parsed.criteria.Formats |= ParseFormat(value());
        else if (word == "--damaged")
            parsed.criteria.Damaged = true;
        else if (word == "--json")
            parsed.json = true;
        else
            throw Exception("Unknown option " + word);
    }
    if (parsed.archives.empty())
        throw Exception("No archive given");
    return parsed;
}

// The name results whose content matches too, in the same order. An entry
// that can't be decoded is reported on stderr and `clean` becomes false.
std::vector<uint32_t> WithContent(const std::string &archive, const TNameIndex &index,
                                  const std::vector<uint32_t> &items, const TContentPattern &pattern, bool &clean)
{
    TContentFilterResult result = FilterByContent(index, items, pattern);
    for (const TJobFailure &failure : result.Failures)
        std::fprintf(stderr, "%s:%s: %s\n", archive.c_str(), failure.Path.c_str(), failure.Reason.c_str());
    clean = result.Failures.empty();
    return std::move(result.Kept);
}

// Prints the results of one archive; false when something in it could not
// be searched.
bool FindInArchive(const std::string &archive, const TNameSearch &search, const TContentPattern *content,
                   const TFindArguments &arguments, bool prefix, TJsonArrayWriter &json, uint64_t &found)
{
    std::unique_ptr<TVornFile> vorn;
    std::unique_ptr<TNameIndex> index;
    try {
        vorn = std::make_unique<TVornFile>(archive);
        index = std::make_unique<TNameIndex>(*vorn);
    } catch (const Exception &error) {
        std::fprintf(stderr, "%s: %s\n", archive.c_str(), error.what());
        return false;
    }
    for (const std::string &error : index->Errors())
        std::fprintf(stderr, "%s: %s\n", archive.c_str(), error.c_str());
    bool clean = index->Errors().empty();
    auto print = [&](const std::vector<uint32_t> &items) {
        for (const uint32_t i : items) {
            const TNameIndex::TItem &item = index->Item(i);
            if (index->PathLength(i) > MaxPathLength) {
                // Reported, not built: such a path could take gigabytes.
                std::fprintf(stderr, "%s:%s%s: %s\n", archive.c_str(),
                             AnsiToUtf8(index->FolderPath(item.Folder)).c_str(),
                             std::string(index->Name(i).substr(0, 64)).c_str(), PathTooLongMessage);
                clean = false;
                continue;
            }
            const std::string path = EntryDisplayPath(*vorn, item.Entry, index->ItemPath(i));
            if (arguments.json)
                json.Add(EntryJson(*vorn, item.Entry, path, archive));
            else
                WriteStdout((prefix ? archive + ":" : std::string()) + path + "\n");
            ++found;
        }
    };
    if (!content && !arguments.criteria.Damaged) {
        search.Run(*index, 0, index->Count(), print);
        return clean;
    }
    std::vector<uint32_t> named;
    search.Run(*index, 0, index->Count(),
               [&](const std::vector<uint32_t> &items) { named.insert(named.end(), items.begin(), items.end()); });
    if (arguments.criteria.Damaged) {
        print(FilterDamaged(*index, named));
        return clean;
    }
    bool decoded = true;
    print(WithContent(archive, *index, named, *content, decoded));
    return clean && decoded;
}

int RunFind(const std::vector<std::string> &words)
{
    TFindArguments arguments;
    std::unique_ptr<TNameSearch> search;
    std::unique_ptr<TContentPattern> content;
    try {
        arguments = ParseArguments(words);
        arguments.criteria.Validate();
        search = std::make_unique<TNameSearch>(arguments.criteria);
        const TFindCriteria &c = arguments.criteria;
        if (c.ContentMode != TContentMode::None)
            content = std::make_unique<TContentPattern>(c.ContentMode, c.Content, c.IgnoreCase);
    } catch (const Exception &error) {
        std::fprintf(stderr, "%s\n%s", error.what(), UsageText);
        return 2;
    }
    bool clean = true;
    uint64_t found = 0;
    TJsonArrayWriter json;
    for (const std::string &archive : arguments.archives)
        clean = FindInArchive(archive, *search, content.get(), arguments, arguments.archives.size() > 1, json, found) && clean;
    if (arguments.json)
        json.Finish();
    if (!clean)
        return 2;
    return found > 0 ? 0 : 1;
}

} // namespace

TToolCommand FindCommand()
{
    return {"find", "ARCHIVE... ", "find entries by name, type, size, format, content or damage", SIZE_MAX, RunFind};
}
