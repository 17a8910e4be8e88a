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
    const TFolderBelow folder = OpenFolderBelow(m_Root, *m_Folder, false);
    if (folder.Handle >= 0) {
        ::unlinkat(folder.Handle, m_Name.c_str(), 0);
        ::close(folder.Handle);
    }
    m_Folder.reset();
}
