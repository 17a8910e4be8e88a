#pragma once
// PipeStream: a file stream decoded on a thread of its own while the calling
// thread hands the pieces on, so decoding the next piece overlaps writing
// this one -- a big chunked file is written about as fast as it decodes.
// At most `depth` decoded pieces wait between the two threads, so memory
// holds a few pieces (with one waiting: the one being decoded, the one
// waiting and the one being written), never the file.

#include "engines/StagedFile.h"

#include <cstddef>

// Gives `sink` every piece of `stream`, in order, on the calling thread.
// A decoding error is raised after the pieces before it were handed on; an
// error of the sink stops the decoding at its next piece and is raised.
void PipeStream(const TFileStream &stream, const TPieceSink &sink, size_t depth = 1);
