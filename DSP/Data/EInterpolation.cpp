#include "DSP/Data/EInterpolation.hpp"

namespace DSP {

const Enum::tEnumValue EInterpolation::sEnumValues[] = {{eStep, "Step"},
                                                        {eRound, "Round"},
                                                        {eLinear, "Linear"},
                                                        {eSpline, "Spline"},
                                                        {ePolynomial2, "2ond_order_Polynomial"},
                                                        {ePolynomial3, "3rd_order_Polynomial"},
                                                        {ePolynomial4, "4th_order_Polynomial"},
                                                        {ePolynomial5, "5th_order_Polynomial"},
                                                        {ePolynomialn, "nth_order_Polynomial"},
                                                        {0, nullptr}};

} // namespace DSP
