#include "engines/CreatedFile.h"

#include <fcntl.h>
#include <unistd.h>

TCreatedFile::~TCreatedFile()
{
    Remove();
}

TCreatedFile::TCreatedFile(TCreatedFile &&other) noexcept
    : m_Folder(std::move(other.m_Folder)), m_Name(std::move(other.m_Name))
{
}

TCreatedFile &TCreatedFile::operator=(TCreatedFile &&other) noexcept
{
    if (this != &other) {
        Remove();
        m_Folder = std::move(other.m_Folder);
        m_Name = std::move(other.m_Name);
    }
    return *this;
}

void TCreatedFile::Remove()
{
    if (m_Folder)
        ::unlinkat(*m_Folder, m_Name.c_str(), 0);
    m_Folder.reset();
}
