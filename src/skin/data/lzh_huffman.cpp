#include "skin/data/lzh_huffman.h"

#include <cstddef>
#include <cstring>

void TLzhHuffman::Start() {
  for (int i = 0; i < N_CHAR; ++i) {
    freq[i] = 1;
    son[i] = int16_t(i + T);
    prnt[i + T] = int16_t(i);
  }
  for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
    freq[j] = uint16_t(freq[i] + freq[i + 1]);
    son[j] = int16_t(i);
    prnt[i] = prnt[i + 1] = int16_t(j);
  }
  freq[T] = 0xFFFF;
  prnt[R] = 0;
}

// Halves the counts and rebuilds the tree from the leaves. Whole blocks of both tables are
// shifted when a node is inserted (the often-copied version shifts half of the child block
// when int is wider than 16 bits, and decodes wrongly from the first rebuild on).
void TLzhHuffman::Reconstruct() {
  int j = 0;
  for (int i = 0; i < T; ++i) {
    if (son[i] >= T) {
      freq[j] = uint16_t((freq[i] + 1) / 2);
      son[j] = son[i];
      ++j;
    }
  }
  for (int i = 0, jj = N_CHAR; jj < T; i += 2, ++jj) {
    unsigned f = unsigned(freq[i]) + freq[i + 1];
    freq[jj] = uint16_t(f);
    int k = jj - 1;
    while (f < freq[k]) --k;
    ++k;
    std::memmove(&freq[k + 1], &freq[k], size_t(jj - k) * sizeof freq[0]);
    freq[k] = uint16_t(f);
    std::memmove(&son[k + 1], &son[k], size_t(jj - k) * sizeof son[0]);
    son[k] = int16_t(i);
  }
  for (int i = 0; i < T; ++i) {
    int k = son[i];
    if (k >= T)
      prnt[k] = int16_t(i);
    else
      prnt[k] = prnt[k + 1] = int16_t(i);
  }
}

