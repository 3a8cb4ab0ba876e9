#include "objects/cpdf_string.h"

CPdfString::CPdfString(const uint8_t* data, size_t length) : data_(data, data + length) {}

CPdfString::~CPdfString() = default;
