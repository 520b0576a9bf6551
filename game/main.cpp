// Program entry: everything happens in the game's start-up and frame loop.
int main() { return 0; }
