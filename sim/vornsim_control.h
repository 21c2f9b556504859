#pragma once

//! Test control of the virtual controller behind the hidapi functions.

//! Re-reads the environment now and rebuilds the whole state (flash, faults,
//! trace, socket choice) as if the process had just started. Open handles
//! of the old state behave like an unplugged device.
void vornsim_reconfigure();

//! Plugs in a controller of @a variant ("black", "steel_gray", "light_gray",
//! "smoked") or unplugs it ("none", null, or an unknown name). The flash
//! keeps its contents; open handles behave like an unplugged device.
void vornsim_set_variant(const char *variant);
