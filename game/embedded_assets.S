// The game's pictures and sounds, carried in read-only data (one symbol pair per file).
#include "engine/system/incbin.h"

#define ZANDOR_ASSET(kind, symbol, file, global) ZANDOR_INCBIN(asset_##symbol, file)
#include "game/asset_list.h"
#undef ZANDOR_ASSET
