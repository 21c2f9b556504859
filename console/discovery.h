#pragma once

#include "product/controller_variants.h"

#include <QString>

#include <vector>

//! A controller in update mode, as hidapi lists it.
struct FoundController
{
    QString path;
    const vorn::ControllerVariant *variant = nullptr;
    QString serial;
};

//! Every controller in update mode, variant by variant in the window's order.
std::vector<FoundController> findControllers();
