#include "name_messages.h"

#include <cstdio>

void print_name_error(const std::string& arg, const name_status& s) {
    const char* name = arg.c_str();
    switch (s.error) {
    case name_error::unknown_type:
        printf("Unknown compress type %d for file %s\n", s.value, name);
        break;
    case name_error::unknown_coding:
        printf("Unknown offset coding %d for file %s\n", s.value, name);
        break;
    case name_error::no_offset1: printf("Cannot determine offset1 for file %s\n", name); break;
    case name_error::no_offset2: printf("Cannot determine offset2 for file %s\n", name); break;
    case name_error::no_type: printf("Cannot determine compress type for file %s\n", name); break;
    case name_error::none: break;
    }
}
