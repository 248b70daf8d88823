// A program that does nothing: a library linked into it whole must bring all it uses.
int main() {
  return 0;
}
