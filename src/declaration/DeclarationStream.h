#pragma once

#include "DeclarationCheck.h"

#include <functional>

// The verifier's reading: the file comes in blocks and only what the checks across records
// need is kept, so its memory does not grow with the file's rows.
namespace declcheck {

// Gives the file's bytes to `take` block after block, from the start each time it is called,
// and stops early when `take` returns false. The verifier reads the file a second time only to
// name the lines of a fault it found at the end (a row whose client is missing).
using BlockReader = std::function<void(const std::function<bool(QByteArrayView)>& take)>;

Report checkBlocks(const BlockReader& read, const QString& fileName);

// checkBytes with the bytes given in blocks of blockSize: lines and fields across blocks.
Report checkBytes(QByteArrayView bytes, const QString& fileName, qsizetype blockSize);

// Longer lines are no record and are not kept whole.
constexpr qsizetype LongestLine = 1 << 20;

}  // namespace declcheck
