#pragma once
// The target coefficient of variation ("Soll CV") of the per-line intercept counts, against
// which the result sheet checks for anisotropy.
namespace tesra {

// n is the total weighted intercept count truncated towards zero. Returns the target CV as a
// fraction: 0 for n <= 0, 0.5 up to 4, then a piecewise linear table down to 0.03 beyond 1000.
long double TargetCv(int n);

}  // namespace tesra
