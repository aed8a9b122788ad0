#pragma once

#include "PupilSheet.h"

#include <string>

namespace oxeln {

// The self-correcting page pupils answer on screen: one UTF-8 HTML file
// with its style and script inside, which makes no request of any kind and
// works opened from a USB stick (file://). It shows the header and every
// question as the subject writes it, each with one field labelled
// "Question N" (a choice of "<", ">", "=" for a sign to find; a field at
// the dots where the question has a place to fill in), a sign pad,
// "Corriger" (marks, the expected answer beside each wrong one, "Score :
// N / M") and "Recommencer". Each expected answer is masked with the
// reference code (MaskAnswer), so the page's text shows no key at a glance.
std::string StudentPageHtml(const PupilSheet &sheet);

} // namespace oxeln
