// The game's objects: the turret's balls, the enemies and their kinds, the effects, and the
// entity pass that runs them once per frame. Their shared state is the game globals.
#pragma once

#include <memory>
#include <string>

class TImage;

// A ball: fired by the turret or by a bursting enemy; lives in shotList.
class tPlayer {
  public:
    virtual ~tPlayer() = default;

    float x = 0;
    float y = 0;
    float speedx = 0;
    float speedy = 0;
    std::shared_ptr<TImage> image;
    int fxtime = 0;
    float combo = 0;  // chain value carried to the enemy this ball activates

    // One frame: trail puff, draw, move, leave the field.
    virtual void update();

    static std::shared_ptr<tPlayer> ini(float x, float y, float speedx, float speedy, float combo);
};

// An enemy; all behaviour lives here, the kinds only choose start values.
class tEnemy {
  public:
    virtual ~tEnemy() = default;

    float x = 0;
    float y = 0;
    float rotation = 0;
    float speedRotation = 0;
    float speedX = 0;  // per movement step; two steps per frame
    float speedY = 0;
    float alpha = 0;
    std::shared_ptr<TImage> image;
    int active = 0;  // 1 once struck by a ball and counting down
    std::string name;
    int timer = 0;
    float enemycombo = 0;
    float oldmousex = 0;
    float oldmousey = 0;

    // The five operations of one frame, always called together in this order.
    virtual void animate();
    virtual void checkIfInScreen();
    virtual void draw();
    virtual void checkCollision();
    virtual void shootPlayer();
};

// Faces the pointer every frame; bursts 40 frames after activation.
class tEnemyControl : public tEnemy {
  public:
    static std::shared_ptr<tEnemyControl> ini(float x, float y, float speedX, float speedY);
};

// Stands still facing +x; bursts 40 frames after activation. Never spawned by the waves.
class tEnemyControlTrace : public tEnemy {
  public:
    static std::shared_ptr<tEnemyControlTrace> ini(float x, float y);
};

// Keeps the facing it was made with; bursts 8 frames after activation.
class tEnemyMove : public tEnemy {
  public:
    static std::shared_ptr<tEnemyMove> ini(float x, float y, float speedX, float speedY,
                                           float rotation);
};

// A short-lived decoration in fxList; draws itself in its own update.
class tFX {
  public:
    virtual ~tFX() = default;

    float x = 0;
    float y = 0;

    virtual void update() = 0;
};

// Expanding, fading ring: bursts and ship hits.
class tborderExplosion : public tFX {
  public:
    float alpha = 1;
    float scale = 1;

    void update() override;
    static std::shared_ptr<tborderExplosion> ini(float x, float y);
};

// Shrinking, drifting copy of a ball: the ball's trail.
class tballfx : public tFX {
  public:
    float scale = 1;
    float alpha = 0.5f;
    float speedx = 0;
    float speedy = 0;
    float minus = 0.05f;

    void update() override;
    static std::shared_ptr<tballfx> ini(float x, float y);
};

// Growing, fading "n CHAIN" label.
class tchainfx : public tFX {
  public:
    float alpha = 1;
    int chain = 0;
    float scale = 1;

    void update() override;
    static std::shared_ptr<tchainfx> ini(float x, float y, int chain);
};

// Flying disc-shaped particle.
class tExplosion : public tFX {
  public:
    float speedx = 0;
    float speedy = 0;
    float alpha = 1;

    void update() override;
    static std::shared_ptr<tExplosion> ini(float x, float y);
};

// Wandering blob of light behind the background mask; lives in bgfxList and is never removed.
class tbgFX {
  public:
    virtual ~tbgFX() = default;

    float x = 0;
    float y = 0;
    float scale = 0;
    float alpha = 0;
    int state = 1;  // 1 fading in, 2 fading out
    float speedx = 0;
    float speedy = 0;
    int red = 0;
    int green = 0;
    int blue = 0;

    virtual void update();
    static std::shared_ptr<tbgFX> ini();
};

// One frame of the turret and every ball; run first by updateEntities.
void updateBase();
// Switches to the game-over screen once life is gone.
void checkGameOver();
// The entity pass: turret and balls, then each enemy's five operations, then the effects.
void updateEntities();
