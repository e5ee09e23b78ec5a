// KtuPack's output names: the model as a name tag, inserted at the base end of the input name,
// and the check that the lister reads the same model back from the name written.
#pragma once

#include <string>

#include "pack_model.h"

// "-t35o4", "-t56o4o12", "-t17".
std::string model_tag(const pack_model& model);

// game.bin -> game-t35o4.bin; screen -> screen-t35o4; a.bin -> a.bin-t35o4.
std::string tagged_name(const std::string& input, const pack_model& model);

enum class name_check { same_model, no_model, other_model };

// What the lister's name reading makes of name, against the model packed.
name_check check_name_model(const std::string& name, const pack_model& model);
