// The program Kodoban. It takes no arguments.
int main() { return 0; }
