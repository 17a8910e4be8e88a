#include "engines/CreatedFile.h"

#include "engines/FolderBelow.h"

#include <fcntl.h>
#include <unistd.h>

TCreatedFile::~TCreatedFile()
{
    Remove();
}

TCreatedFile::TCreatedFile(TCreatedFile &&other) noexcept
    : m_Root(other.m_Root), m_Folder(std::move(other.m_Folder)), m_Name(std::move(other.m_Name))
{
}

TCreatedFile &TCreatedFile::operator=(TCreatedFile &&other) noexcept
{
    if (this != &other) {
        Remove();
        m_Root = other.m_Root;
        m_Folder = std::move(other.m_Folder);
        m_Name = std::move(other.m_Name);
    }
    return *this;
}

void TCreatedFile::Remove()
{
    if (!m_Folder)
        return;
    RemoveBelow(m_Root, *m_Folder, m_Name, 0);
    m_Folder.reset();
}
