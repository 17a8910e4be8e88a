#include "viewers/FormatList.h"

TFormatList::~TFormatList()
{
    Clear();
}

void TFormatList::Add(std::unique_ptr<TAbstractFormat> format)
{
    if (format)
        m_formats.push_back(std::move(format));
}

TAbstractFormat *TFormatList::FindClaiming(const QString &extension) const
{
    for (auto it = m_formats.rbegin(); it != m_formats.rend(); ++it) {
        if ((*it)->CanViewFormat(extension))
            return it->get();
    }
    return nullptr;
}

void TFormatList::Clear()
{
    for (auto &format : m_formats)
        format.reset();
    m_formats.clear();
}

TFormatList &FormatList()
{
    static TFormatList list;
    return list;
}

void RegisterFormat(std::unique_ptr<TAbstractFormat> format)
{
    FormatList().Add(std::move(format));
}
