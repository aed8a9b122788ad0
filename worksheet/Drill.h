#pragma once

namespace oxeln {

// The seven buttons that compose questions.
enum class Drill { Plus, Minus, Mult, Power, Divide, S1, S2 };

} // namespace oxeln
