#pragma once

// How the caller opens a dialog on a row of a filed period: Void edits the current row, where
// only the flag and a few optional values may change; Add enters a new row, every box writable.
enum class RowMode { Void, Add };
