// The only code of a static library that carries resources; nothing calls it,
// which is the point: its resources must reach the program all the same.
int rtlTestResourceHolder() { return 0; }
