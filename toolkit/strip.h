// The browse bitmap strip: one off-screen bitmap of 9600 x 25 pixels that
// holds the small pictures of browse rows in 32-pixel slots, loaded once
// and cut out for every row. Also the release calls for graphic objects
// made at the end of a run, and the resource tracker they consult.
#pragma once

#include <windows.h>

#include "runtime/value.h"
#include "toolkit/bitmap_cache.h"

namespace toolkit {

// The strip's bitmap, made (white) on first use.
HBITMAP stripBitmap();
// Whether the strip exists now.
bool stripExists();

// XLOADBITMAP(hModule, key): the strip slot of a picture, loading it into
// the next slot on first use (drawn masked, except the key "BMPNOCHK" which
// is copied unchanged). The module argument is not used: the resource
// module is. A key that cannot be loaded still takes a slot, left white,
// of size 0 x 0. When all 300 slots are taken a new key gets slot 0 {0, 0,
// 0}, which the browse draws as nothing.
StripSlot XLOADBITMAP(HINSTANCE hModule, const runtime::Value& key);

// DELBMPBRW(): deletes the strip and forgets its slots.
void DELBMPBRW();

// DELETEOBJECT(h): deletes h when it is a number naming a live graphic
// object and returns whether that succeeded; anything else (0, a strip
// slot, a stale handle) is left alone and answers false.
bool DELETEOBJECT(const runtime::Value& h);

// The resource tracker: off at start (and for the whole update run); while
// on, LOADBITMAP records what it loads. Returns the old state.
bool setResourceTracking(bool on);
void trackResource(HGDIOBJ h);
// RESALLFREE(): deletes every graphic object the tracker recorded and
// empties the list; with nothing recorded it releases nothing.
void RESALLFREE();
// XRESALLFREE(): RESALLFREE, then the strip (this toolkit has no other
// shared button, menu or combo-box bitmaps to release). The bitmap cache is
// left to its users.
void XRESALLFREE();

}  // namespace toolkit
