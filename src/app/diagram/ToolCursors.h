#pragma once
// The diagram tools' cursors: the arrow with a small picture of what the tool places beside
// it, so that an armed tool shows, and which one.

#include <QCursor>

// The cursor of a tool (its tag); the plain arrow for a tag without a cursor of its own.
QCursor ToolCursor(int tag);
