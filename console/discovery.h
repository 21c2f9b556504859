#pragma once

#include "console/updateevent.h"
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

//! An event of @a kind about @a controller, named as every event names it.
UpdateEvent eventAbout(const FoundController &controller, UpdateEvent::Kind kind);
//! The result @a outcome of @a controller's run, with @a message.
UpdateEvent resultAbout(const FoundController &controller, UpdateEvent::Outcome outcome, const QString &message);
