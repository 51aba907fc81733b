#include "carp/ParameterDescriptions.h"

namespace velkor {

const std::array<std::string_view, kNfs4ParameterCount> parameterDescriptions = {
    "Serial Number",                                                 // 0
    "Car Classification",                                            // 1
    "mass [kg]",                                                     // 2
    "number of gears (reverse + neutral + forward gears)",           // 3
    "gear shift delay (ticks)",                                      // 4
    "shift blip in rpm (size 8)",                                    // 5
    "brake blip in rpm (size 8)",                                    // 6
    "velocity to rpm ratio (size 8)",                                // 7
    "gear ratios (size 8)",                                          // 8
    "gear efficiency (size 8)",                                      // 9
    "torque curve (size 21) in 500 rpm increments",                  // 10
    "final gear",                                                    // 11
    "engine minimum rpm",                                            // 12
    "engine redline in rpm",                                         // 13
    "maximum velocity of car [m/s]",                                 // 14
    "top speed cap [m/s]",                                           // 15
    "front drive ratio",                                             // 16
    "Uses Antilock Brake System",                                    // 17
    "maximum braking deceleration",                                  // 18
    "front bias brake ratio",                                        // 19
    "gas increasing curve",                                          // 20
    "gas decreasing curve",                                          // 21
    "brake increasing curve",                                        // 22
    "brake decreasing curve",                                        // 23
    "wheel base",                                                    // 24
    "front grip bias",                                               // 25
    "power steering (boolean)",                                      // 26
    "minimum steering acceleration",                                 // 27
    "turn in ramp",                                                  // 28
    "turn out ramp",                                                 // 29
    "lateral acceleration grip multiplier",                          // 30
    "aerodynamic downforce multiplier",                              // 31
    "gas off factor",                                                // 32
    "g transfer factor",                                             // 33
    "turning circle radius",                                         // 34
    "tire specs front",                                              // 35
    "tire specs rear",                                               // 36
    "tire wear",                                                     // 37
    "Slide Multiplier",                                              // 38
    "Spin Velocity Cap",                                             // 39
    "Slide Velocity Cap",                                            // 40
    "Slide Assistance Factor",                                       // 41
    "Push Factor",                                                   // 42
    "Low Turn Factor (the lower the figure, the better the turn)",   // 43
    "High Turn Factor (the lower the figure, the better the turn)",  // 44
    "pitch roll factor",                                             // 45
    "road bumpiness factor",                                         // 46
    "spoiler function type",                                         // 47
    "spoiler activation speed [m/s]",                                // 48
    "gradual turn cutoff",                                           // 49
    "medium turn cutoff",                                            // 50
    "sharp turn cutoff",                                             // 51
    "medium turn speed modifier",                                    // 52
    "sharp turn speed modifier",                                     // 53
    "extreme turn speed modifier",                                   // 54
    "subdivide level",                                               // 55
    "camera arm",                                                    // 56
    "Body Damage",                                                   // 57
    "Engine Damage",                                                 // 58
    "Suspension Damage",                                             // 59
    "Engine Tuning",                                                 // 60
    "Brake Balance",                                                 // 61
    "Steering Speed",                                                // 62
    "Gear Rat Factor",                                               // 63
    "Suspension Stiffness",                                          // 64
    "Aero Factor",                                                   // 65
    "Tire Factor",                                                   // 66
    "AI ACC0 acceleration table section",                            // 67
    "AI ACC1 acceleration table section",                            // 68
    "AI ACC2 acceleration table section",                            // 69
    "AI ACC3 acceleration table section",                            // 70
    "AI ACC4 acceleration table section",                            // 71
    "AI ACC5 acceleration table section",                            // 72
    "AI ACC6 acceleration table section",                            // 73
    "AI ACC7 acceleration table section",                            // 74
    "number of gears (automatic, r, n, forward)",                    // 75
    "velocity to rpm ratio automatic(size 8)",                       // 76
    "gear ratios automatic (size 8)",                                // 77
    "gear efficiency automatic (size 8)",                            // 78
    "final gear automatic",                                          // 79
    "understeer gradient",                                           // 80
};

}  // namespace velkor
