#pragma once

namespace VelaMath {

// Only the Akima spline is supported; every other value builds nothing.
enum _VelaInterpolantType_ { InterpolantAkima = 0 };

} // namespace VelaMath
