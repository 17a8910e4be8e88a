#pragma once
// Turning a text file's bytes into the text the text viewer shows.

#include <QString>
#include <cstdint>

// The text up to the first zero byte, decoded as UTF-8 when it is valid UTF-8
// and as Windows-1252 otherwise, with every CR LF pair, lone CR and lone LF
// turned into one line end ("\n").
QString LoadViewerText(const uint8_t *data, int64_t size);
