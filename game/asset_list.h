// The 24 pictures and sounds the executable carries, in the order the game registers and
// loads them: the images, then the sounds. Each entry is
//     ZANDOR_ASSET(kind, symbol, archive name, global)
// kind: Image or Sound (the global is a std::shared_ptr<T<kind>>); symbol: the assembler
// symbols asset_<symbol>_start/_end around the bytes; archive name: the file below the
// repository root and the name it is registered under.
// Define ZANDOR_ASSET, include this file, undefine it. It is read by the assembler too, so
// it holds nothing but these lines and comments.
// clang-format off
ZANDOR_ASSET(Image, player_png, "assets/graphics/player.png", playerImg)
ZANDOR_ASSET(Image, enemy1_png, "assets/graphics/enemy1.png", enemy1Img)
ZANDOR_ASSET(Image, enemy2_png, "assets/graphics/enemy2.png", enemy2Img)
ZANDOR_ASSET(Image, enemycontrol_png, "assets/graphics/enemycontrol.png", enemyControlImg)
ZANDOR_ASSET(Image, enemycontroltrace_png, "assets/graphics/enemycontroltrace.png", enemyControlTraceImg)
ZANDOR_ASSET(Image, enemymove_png, "assets/graphics/enemymove.png", enemyMoveImg)
ZANDOR_ASSET(Image, enemybomb_png, "assets/graphics/enemybomb.png", enemyBombImg)
ZANDOR_ASSET(Image, pointer_png, "assets/graphics/pointer.png", pointerImg)
ZANDOR_ASSET(Image, layer_png, "assets/graphics/layer.png", layerImg)
ZANDOR_ASSET(Image, playership_png, "assets/graphics/playership.png", playerShipImg)
ZANDOR_ASSET(Image, borderexplosion_png, "assets/graphics/borderexplosion.png", borderExplosionImg)
ZANDOR_ASSET(Image, background_jpg, "assets/graphics/background.jpg", backgroundImg)
ZANDOR_ASSET(Image, backgroundmask_png, "assets/graphics/backgroundmask.png", backgroundMaskImg)
ZANDOR_ASSET(Image, display_png, "assets/graphics/display.png", displayImg)
ZANDOR_ASSET(Image, title_png, "assets/graphics/title.png", titleImg)
ZANDOR_ASSET(Image, bgfx_png, "assets/graphics/bgfx.png", bgfxImg)
ZANDOR_ASSET(Image, end_png, "assets/graphics/end.png", endImg)
ZANDOR_ASSET(Image, base_png, "assets/graphics/base.png", baseImg)
ZANDOR_ASSET(Image, gameover_png, "assets/graphics/gameover.png", gameOverImg)
ZANDOR_ASSET(Sound, explode_ogg, "assets/sound/explode.ogg", explodeSnd)
ZANDOR_ASSET(Sound, music_ogg, "assets/sound/music.ogg", musicSnd)
ZANDOR_ASSET(Sound, shoot_ogg, "assets/sound/shoot.ogg", shootSnd)
ZANDOR_ASSET(Sound, playerhit_ogg, "assets/sound/playerhit.ogg", playerHitSnd)
ZANDOR_ASSET(Sound, playerexplode_ogg, "assets/sound/playerexplode.ogg", playerExplodeSnd)
// clang-format on
