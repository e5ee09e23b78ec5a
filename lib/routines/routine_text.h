// The target routines of every pack model, specialised from one template per CPU: conditional
// lines pick the model's grammar and offset coding, and "@" and "{EXPR}" give its label prefix,
// widths and figures, so that what comes out is plain assembly for that model alone.
// Silent and file-blind: the templates are built into the library.
#pragma once

#include <string>
#include <string_view>

#include "pack_model.h"

// The routines name a model by the formats' own pack model.
using pack_model_desc = pack_model;

enum class target_cpu { z80, m6502 };

// The entry label of a model's routine: "depack_" and the model tag without its dash
// (depack_t35o4, depack_t56o4o12, depack_t11); empty for a model outside the search set.
std::string routine_entry_name(const pack_model_desc& m);

// Whether the CPU has a routine for the model: the models of the search set (format_table.h),
// every type and coding at the widths of the table's search columns, KTR's where the CPU has
// a KTR template.
bool routine_model_known(target_cpu cpu, const pack_model_desc& m);

// Resolves the template's notation for the model into out. False with a reason in error on a
// model outside the search set, an empty template, or a template fault (an unbalanced or unknown
// directive, a bad condition word, an expression that does not parse or divides by zero).
bool specialise_routine(std::string_view template_text, const pack_model_desc& m, std::string& out,
                        std::string& error);

// The template of the CPU for the compression type (KTR's is a file of its own), embedded at
// build time; empty when the tree has none yet.
std::string_view routine_template(target_cpu cpu, int type);
