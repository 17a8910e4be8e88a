#pragma once
// TFormatList: the program-wide, ordered list of registered formats. It owns
// its formats; the most recently registered format that claims an extension
// wins, so plug-ins override the built-in formats and later plug-ins earlier
// ones.

#include "viewers/AbstractFormat.h"

#include <memory>
#include <vector>

class TFormatList {
public:
    TFormatList() = default;
    TFormatList(const TFormatList &) = delete;
    TFormatList &operator=(const TFormatList &) = delete;
    ~TFormatList();

    void Add(std::unique_ptr<TAbstractFormat> format);
    // The last registered format whose CanViewFormat answers true, or null.
    TAbstractFormat *FindClaiming(const QString &extension) const;
    size_t Count() const { return m_formats.size(); }
    // Destroys every format, the first registered first. The program does this
    // once at its end; tests use it to start from an empty registry.
    void Clear();

private:
    std::vector<std::unique_ptr<TAbstractFormat>> m_formats;
};

// The registry of the program; created on first use, destroyed at program end.
TFormatList &FormatList();

// Appends the format to FormatList, which takes ownership.
void RegisterFormat(std::unique_ptr<TAbstractFormat> format);
