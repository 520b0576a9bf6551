// Two fixtures carried inside the system tests, the same way the game carries its assets.
#include "engine/system/incbin.h"

ZANDOR_INCBIN(zandor_test_embed_sample, "tests/data/embed_sample.txt")
ZANDOR_INCBIN(zandor_test_embed_empty, "tests/data/embed_empty.bin")
