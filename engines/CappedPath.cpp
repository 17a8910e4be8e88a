#include "engines/CappedPath.h"

#include <algorithm>

void TCappedPath::Append(std::string_view text)
{
    const size_t room = MaxPathLength + 1 - m_Text.size();
    m_Text.append(text.substr(0, std::min(room, text.size())));
    m_Length += text.size();
}

void TCappedPath::CutTo(uint64_t length)
{
    if (length < m_Text.size())
        m_Text.resize(size_t(length));
    m_Length = length;
}

std::string TCappedPath::Shown() const
{
    if (!TooLong())
        return m_Text;
    return m_Text.substr(0, MaxPathLength) + "...";
}
