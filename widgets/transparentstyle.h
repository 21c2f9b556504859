#pragma once

//! The style of every picture widget: a fully transparent border image, so
//! that only the widget's own picture and the page behind it show.
constexpr char kTransparentStyle[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";
