// Storage of the game's globals with their program-start values.
#include "game/globals.h"

#define ZANDOR_DEFINE_GLOBAL(type, name, start) type name = start;
ZANDOR_GAME_GLOBALS(ZANDOR_DEFINE_GLOBAL)
#undef ZANDOR_DEFINE_GLOBAL

#define ZANDOR_ASSET(kind, symbol, file, global) std::shared_ptr<T##kind> global;
#include "game/asset_list.h"
#undef ZANDOR_ASSET

void restoreStartGlobals() {
#define ZANDOR_RESTORE_GLOBAL(type, name, start) name = start;
    ZANDOR_GAME_GLOBALS(ZANDOR_RESTORE_GLOBAL)
#undef ZANDOR_RESTORE_GLOBAL
}
