#pragma once
// The engine input document: the network written as GNU Gama XML input
// (version 2.0), assembled line by line in SurveyNetwork::Document and saved as
// Windows-1250 text with CR LF line ends by WriteEngineInput.
//
// Gyro directions are written as a set of two directions: one to a fixed
// reference point 10 000 m from the station along +X (id "090" followed by
// the measurement's list position), which pins the set's orientation, and
// one to the target. Plumbings are written as coordinate-difference vectors
// with a 3 by 3 covariance matrix.
#include "core/survey_network.h"

#include <string>

// The id of a point in the document: its number with two decimals.
std::string DocPointId(double number);
// The id of the gyro reference point of the measurement at list position
// `pos`: "090" followed by the position in decimal digits.
std::string GyroRefId(int pos);

// Writes the engine input document of `net` into net.Document and saves it
// to fileName atomically. False on any failure, leaving an older file as it
// was; net.LastWriteFailure names the measurement when one was the cause.
bool WriteEngineInput(SurveyNetwork &net, const std::string &fileName);

// Clears Document and adds the header lines.
void WriteHeader(SurveyNetwork &net);
// Adds one line per point and one fixed reference point per gyro direction.
// False (LastWriteFailure set) when a coordinate is not a finite number, two
// points would get the same id, or a gyro direction's station is not in the
// point list.
bool WritePoints(SurveyNetwork &net);
// Adds the observation sets (one per run of equal stations), then the gyro
// direction sets and plumbing vectors. Needs values and engine standard
// deviations from ComputeObservations. False (LastWriteFailure set) when a
// standard deviation would be written as zero, or a plumbing's covariance
// matrix would not be positive definite.
bool WriteObservations(SurveyNetwork &net);
// Adds the three closing lines.
void WriteFooter(SurveyNetwork &net);
