#include "mathbox/DrawingServices.h"

DrawingServices::DrawingServices(const TextFontPrefs& prefs) : m_styles(prefs), m_port(m_styles) {}
