// The page at /: a form that sends a probe, and links to the other endpoints.
#pragma once

#include <string>

std::string landingPage(const std::string& version);
