#include "objects/cpdf_string.h"

#include <cstring>

CPdfString::CPdfString(const uint8_t* data, size_t length) : data_(data, data + length) {}

CPdfString::CPdfString(const char* text)
    : data_(reinterpret_cast<const uint8_t*>(text),
            reinterpret_cast<const uint8_t*>(text) + std::strlen(text)) {}

CPdfString::~CPdfString() = default;
