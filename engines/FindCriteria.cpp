#include "engines/FindCriteria.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"
#include "engines/ContentPattern.h"
#include "engines/NameMatcher.h"

#include <algorithm>

TNameMode TFindCriteria::EffectiveNameMode() const
{
    return ResolveNameMode(Name, NameMode);
}

bool TFindCriteria::FilesOnly() const
{
    return !Types.empty() || MinSize || MaxSize || Formats != 0 || HasContent() || Damaged;
}

void TFindCriteria::Validate() const
{
    const TNameMatcher name(Name, NameMode, IgnoreCase);
    if (!HasContent())
        return;
    if (Damaged)
        throw Exception("Damaged files can't be searched by content");
    const TContentPattern content(ContentMode, Content, IgnoreCase);
}

bool TFindCriteria::Narrows(const TFindCriteria &previous) const
{
    const bool sameOthers = IgnoreCase == previous.IgnoreCase && WholePath == previous.WholePath
                            && Types == previous.Types && MinSize == previous.MinSize
                            && MaxSize == previous.MaxSize && Formats == previous.Formats
                            && ModifiedFrom == previous.ModifiedFrom && ModifiedTo == previous.ModifiedTo
                            && ContentMode == previous.ContentMode && Content == previous.Content
                            && Damaged == previous.Damaged;
    if (!sameOthers || EffectiveNameMode() != TNameMode::Substring)
        return false;
    if (previous.Name.empty())
        return true;
    if (previous.EffectiveNameMode() != TNameMode::Substring)
        return false;
    auto chars = [this](const std::string &text) {
        std::vector<int> result = Utf8ToAnsiChars(text);
        if (IgnoreCase)
            for (int &c : result)
                c = c < 0 ? c : FoldAnsi(uint8_t(c));
        return result;
    };
    const std::vector<int> now = chars(Name);
    const std::vector<int> before = chars(previous.Name);
    return std::search(now.begin(), now.end(), before.begin(), before.end()) != now.end();
}
