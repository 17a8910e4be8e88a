#pragma once
// ReadPiecesAhead: a big file's bytes for a thread that writes them, decoded
// ahead of it on threads of their own. The chunks of a chunked file are
// decoded several at a time -- each thread takes the next chunk not yet
// taken -- and handed over strictly in order; a raw file is read ahead on
// one thread. At most a few chunks per thread wait decoded, so memory holds
// those, never the file.

#include "archive/vmVornFile.h"

// Gives `sink` the bytes of `file` in order on the calling thread, in the
// same pieces and with the same errors as TVornFile::ReadFilePieces: a
// damaged chunk list before any piece, a chunk that fails to decode after
// the pieces before it, a wrong CRC-32 or size after all of them. An error
// of the sink stops the decoding and is raised. `threads`: how many threads
// decode (at least one).
void ReadPiecesAhead(const TVornFile &vorn, TEntryOffset file, const TPieceSink &sink, unsigned threads);
