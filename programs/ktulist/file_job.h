// One file argument from reading the packed file to writing the unpacked one.
#pragma once

#include <string>

#include "name_model.h"
#include "run_settings.h"

// Whatever happens to this file, its messages are printed and the caller goes on.
void process_file(const std::string& arg, const name_model& model, run_mode mode,
                  const std::string& out_name);
