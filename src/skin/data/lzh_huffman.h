// The adaptive Huffman model of LZHUF, shared by the decoder and the skin packer: symbol
// counts, the tree kept in count order, and its periodic rebuild.
#pragma once

#include <cstdint>

struct TLzhHuffman {
  static constexpr int THRESHOLD = 2;                 // matches longer than this are coded as matches
  static constexpr int F = 60;                        // look-ahead: longest match
  static constexpr int N_CHAR = 256 - THRESHOLD + F;  // 314 symbols: bytes and match lengths
  static constexpr int T = N_CHAR * 2 - 1;            // 627 tree nodes
  static constexpr int R = T - 1;                     // root
  static constexpr unsigned MAX_FREQ = 0x8000;        // rebuild the tree at this root count

  uint16_t freq[T + 1];      // 628: a sentinel stands after the root
  int16_t prnt[T + N_CHAR];  // 941: parents of nodes, and (at T + c) of leaf c
  int16_t son[T];            // 627: first child; leaves hold T + symbol

  // Every symbol counted once, the tree built over them.
  void Start();
  // Halves the counts and rebuilds the tree from the leaves.
  void Reconstruct();
  // Counts symbol c (rebuilding first when the root count has reached MAX_FREQ).
  void Update(int c) {
    if (freq[R] == MAX_FREQ) Reconstruct();
    UpdatePath(c);
  }

 private:
  // Counts leaf c and its ancestors up to the root. A node whose count now exceeds the next
  // node's is swapped with the last node of smaller count (exchanging subtrees and parent
  // links), so the nodes stay in count order. The sentinel after the root (0xFFFF) stops the
  // search.
  void UpdatePath(int c) {
    c = prnt[c + T];
    do {
      unsigned k = ++freq[c];
      if (k > freq[c + 1]) {
        int l = c + 1;
        while (k > freq[++l]) {
        }
        --l;
        freq[c] = freq[l];
        freq[l] = uint16_t(k);
        int i = son[c];
        prnt[i] = int16_t(l);
        if (i < T) prnt[i + 1] = int16_t(l);
        int jj = son[l];
        son[l] = int16_t(i);
        prnt[jj] = int16_t(c);
        if (jj < T) prnt[jj + 1] = int16_t(c);
        son[c] = int16_t(jj);
        c = l;
      }
    } while ((c = prnt[c]) != 0);
  }
};
