// Negative values print as the unsigned numbers they are, as they always have.
#include "pack_messages.h"

#include <cstdio>

namespace {

void at_position(const char* what, const pack_status& s, int len) {
    printf("\nError: %s at position %u (0x%04X)  offset: %u  length: %u\n", what, unsigned(s.index),
           unsigned(s.index), unsigned(s.off), unsigned(len));
}

} // namespace

void print_pack_failure(const pack_status& s) {
    switch (s.fault) {
    case pack_fault::none: break;
    case pack_fault::length_guard: printf("Error: Best length = %u\n", unsigned(s.len)); break;
    case pack_fault::unreverse:
        printf("\nError: Unreverse failed. Index: %u  Len: %u  Zac: %u\n", unsigned(s.index),
               unsigned(s.len), unsigned(s.start));
        break;
    case pack_fault::optimize_1:
        printf("\nError: Optimize 1 failed. Index: %u  Len: %u\n", unsigned(s.index),
               unsigned(s.len));
        break;
    case pack_fault::optimize_2:
        printf("\nError: Optimize 2 failed. Index: %u  Len: %u\n", unsigned(s.index),
               unsigned(s.len));
        break;
    case pack_fault::no_token: at_position("No token", s, 0); break;
    case pack_fault::ktb_range: at_position("Out of range", s, s.len); break;
    case pack_fault::kta_literal_range:
        printf("\nError: Out of range - length: %u\n", unsigned(s.len));
        break;
    case pack_fault::kta_sequence_range:
        printf("\nError: Out of range - offset: %u  length: %u\n", unsigned(s.off),
               unsigned(s.len));
        break;
    }
}
