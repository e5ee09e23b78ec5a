#include "ktu_names.h"

#include "base_end.h"
#include "name_model.h"

std::string model_tag(const pack_model& m) {
    std::string tag = "-t";
    tag += std::to_string(m.type) + std::to_string(m.coding);
    const int params = offset_param_count(m.coding);
    if (params >= 1) tag.append("o").append(std::to_string(m.offset1));
    if (params == 2) tag.append("o").append(std::to_string(m.offset2));
    return tag;
}

std::string tagged_name(const std::string& input, const pack_model& model) {
    const size_t cut = base_end(input);
    return input.substr(0, cut) + model_tag(model) + input.substr(cut);
}

name_check check_name_model(const std::string& name, const pack_model& model) {
    name_model read;
    if (model_from_name(name, read).error != name_error::none) return name_check::no_model;
    const pack_model& m = read.model;
    const int params = offset_param_count(model.coding);
    const bool same = m.type == model.type && m.coding == model.coding &&
                      (params < 1 || m.offset1 == model.offset1) &&
                      (params < 2 || m.offset2 == model.offset2);
    return same ? name_check::same_model : name_check::other_model;
}
