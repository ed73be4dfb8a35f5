#pragma once
// Reader of the adjustment engine's XML results, and the precision analysis
// built on them. The reading is in results_reader.cpp, the results table in
// results_table.cpp, distance precision in distance_precision.cpp and the
// exports in results_export.cpp.
//
// The results document, as read here:
//   - the document element has N child elements (other nodes are ignored);
//   - children 1 .. N-1 each carry at least one attribute; a child with
//     exactly four attributes is an adjusted point: point number, X, Y, Z in
//     metres, taken by position (attribute names are not examined); children
//     with another number of attributes are skipped (their first attribute
//     must still be a number);
//   - child N is the covariance element: its first attribute is the
//     dimension D (a decimal integer) and its text lists the upper triangle
//     of the D x D covariance matrix row by row, D(D+1)/2 numbers in square
//     millimetres, separated by any characters that cannot belong to a
//     number. Point k (from 0) owns rows/columns 3k, 3k+1, 3k+2 (X, Y, Z).
//   Numbers may use "." or "," as decimal separator and an exponent.
//
// Typical use by the "+Calculations+" command (see ReadResults below, which
// does all of it):
//   ResultsReader r;
//   r.Bind(path);                     // false: show r.Error, stop
//   r.ReadCoordinates(); r.ReadCovariance();
//   if (!r.ResultsAre3d()) -> text 23 "All point have to be 3d. " (+ r.Error)
//   if (mode == 2) r.AddNetworkCentring(network.Points.List);
//   r.FillResultsTable(grid, from, to);  // false: show r.Error
// The results window then calls CalculateDistance, SaveTable and SaveCov.
//
// Nothing here talks to the user: every failure is returned as false (or
// NaN) with a plain description in `Error`; the window decides what to show.
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/covariance_matrix.h"
#include "analysis/dense_matrix.h"
#include "core/text_grid.h"
#include "core/point_list.h"
#include "core/sc_svp_mode.h"
#include "evaluation/results_stream.h"

class ResultsReader {
public:
  // Layout of the results grid: 16 columns, one header row, one fixed column
  // (point numbers). Column widths and row height in pixels for the window.
  static constexpr int ResultColumns = 16;
  static constexpr int ResultRowHeight = 18;
  static constexpr std::array<int, ResultColumns> ResultColWidths = {
      90, 128, 128, 128, 66, 66, 66, 66, 66, 66, 66, 66, 66, 66, 66, 66};

  ResultsReader() = default;
  ResultsReader(const ResultsReader &) = delete;
  ResultsReader &operator=(const ResultsReader &) = delete;

  // ---- State (read freely by the caller) ----
  std::string FileName;   // the results file given to Bind
  int Dim = 0;            // dimension stated by the covariance element
  std::string CovText;    // covariance text, every "." replaced by ","; only
                          // for documents read by the full XML parser (the
                          // engine's own are streamed from the file)
                          // (emptied again by ReleaseDocument)
  CovarianceMatrix Cov;        // Dim x Dim covariance, mm^2 (0 x 0 until read);
                               // the precision built from the reader shares it
  // Per point its diagonal block as read, in extended precision: XX, XY,
  // XZ, YY, YZ, ZZ (with the centring of AddNetworkCentring). The results
  // table's deviations and ellipsoids come from them, so that they are the
  // figures of the text exactly. Empty when the covariance came without
  // them (the table then uses Cov).
  std::vector<long double> PointBlocks;
  DenseMatrix PairCov{6, 6};   // joint block of the last pair (BuildPairCov)
  bool CoordsOk = false;  // points read without failure, at least one
  bool CovOk = false;     // covariance read without failure
  TextGrid *Grid = nullptr;  // the grid last filled (not owned)
  PointList Results;      // adjusted points: Number, X, Y, Z; Fixed false;
                          // Sc/Svp 0 unless AddNetworkCentring filled them
  std::string Error;      // description of the last failure ("" if none)
  // Heading of the point number column of the results table, in the
  // caller's language (text 97); the other headings are units.
  std::string PointNumberHeading;

  // ---- Reading ----

  // Reads and parses the results file. False when the file cannot be read
  // or is not well-formed XML; Error then holds the reason (for a parse
  // error the parser's description with line, column and byte offset).
  // The engine's documents are streamed (results_stream.h): the points are
  // kept, the covariance numbers are read from the file, which stays open
  // until ReleaseDocument; other documents are parsed whole.
  bool Bind(const std::string &fileName);

  // Binds results handed over in memory by an engine run in this program
  // instead of a file: `children` as the document element's children of
  // the results file (the summary, the points, last the covariance element
  // with its dimension), and the covariance text row by row: `rowText(i,
  // text)` replaces `text` by row i of the upper triangle as the file would
  // hold it. The readings then give the values the file would give. `name`
  // stands for the file name in messages.
  using CovarianceRowText = std::function<void(std::size_t row, std::string &text)>;
  void BindInMemory(const std::string &name, std::vector<kd::ResultsChild> children,
                    CovarianceRowText rowText);
  // The same with the whole covariance handed over: Dim x Dim (the last
  // child's dimension), every element already as the file would give it
  // (rounded to its digits), symmetric. ReadCovariance takes it over
  // without a copy.
  void BindInMemory(const std::string &name, std::vector<kd::ResultsChild> children,
                    CovarianceMatrix covariance, std::vector<long double> pointBlocks);

  // Fills Results from the point children (fill protocol of PointList) and
  // sets CoordsOk. False on a failure: no document, a child without
  // attributes, an attribute that is not a finite number. The walk stops at
  // the first failure.
  bool ReadCoordinates();

  // Fills Dim, CovText, Cov and CovOk from the last child. False (CovOk
  // false, Cov left 0 x 0) on a missing or non-integer dimension, a
  // dimension that cannot match the points already read (when
  // ReadCoordinates succeeded) or whose matrix could not be held in memory,
  // a text that runs out of numbers, a token that is not a finite number, or
  // a negative variance on the diagonal.
  bool ReadCovariance();

  // Frees the parsed document, its file bytes and CovText once the points
  // and the matrix have been read (ReadResults does it), so that a large
  // results file does not stay in memory while its results are shown.
  void ReleaseDocument();

  // Whether the results can be shown: both readings succeeded, at least one
  // point, and the matrix has exactly three rows per point. When false the
  // caller shows text 23 "All point have to be 3d. "; Error names the cause.
  bool ResultsAre3d();

  // Whole-network centring: for each result point, copies Sc and Svp from
  // the network point with the same number (first exact match) and adds
  // (1000 Sc)^2 to the X and Y variances and (1000 Svp)^2 to the Z variance
  // (mm^2). Does nothing unless the results are complete (ResultsAre3d).
  // Result points with no network point keep Sc = Svp = 0 and no addition;
  // their count is returned (0 when all were found).
  int AddNetworkCentring(const PointList &network);

  // Fills the results table and the two point choosers (point numbers in
  // table order; the caller selects item 0 of each). Returns false, with
  // Error set and grid and choosers untouched, when the results are not
  // complete or an error ellipsoid cannot be computed (no convergence, or a
  // covariance block that is not positive semi-definite). Remembers the
  // grid in `Grid`.
  bool FillResultsTable(TextGrid &grid, std::vector<std::string> &chooser1,
                        std::vector<std::string> &chooser2);

  // The value of one number of the covariance text as ReadCovariance
  // takes it (decimal point or comma, an exponent); false when it is none.
  static bool CovarianceNumber(std::string_view token, double &value);
  static bool CovarianceNumber(std::string_view token, long double &value);
  // Position in PointBlocks of element (i, j) of the covariance, or -1 when
  // i and j belong to different points.
  static long PointBlockIndex(std::size_t i, std::size_t j);

  // The 16 characters that can belong to a number: "1234567890+-eE,.".
  static bool IsNumberChar(char c);
  // From `pos`, skips non-number characters and returns the following run
  // of number characters, leaving `pos` after it. "" when the text is
  // exhausted.
  static std::string NextNumberToken(std::string_view text, std::size_t &pos);

  // ---- Distance precision (positions F, T are 0-based in Results) ----
  // Distances in metres; NaN for a position outside Results.
  long double ResultSlopeDist(int F, int T) const;
  long double ResultHorizDist(int F, int T) const;
  long double ResultVertDist(int F, int T) const;

  // Replaces PairCov by the joint 6 x 6 covariance of (X, Y, Z) of F and T.
  // False (PairCov unchanged) when a position has no block in Cov.
  bool BuildPairCov(int F, int T);

  // Standard deviation in mm of the distance d (metres) of kind k (0 slope,
  // 1 horizontal, 2 vertical) between F and T, propagated through the joint
  // covariance. 0 when F == T. NaN when a position or k is invalid, d is 0,
  // or the propagated variance is clearly negative (the matrix is not a
  // covariance matrix); a variance that is negative only by rounding gives 0.
  long double RelPrecision(int F, int T, long double d, int k);

  // The "Calculate" button: distance of kind k (0 slope, 1 horizontal,
  // 2 vertical; any other value counts as no kind, distance 0) between F and
  // T and its standard deviation, as texts "<d> m" and "<sigma> mm" (fixed,
  // 15 significant digits, 6 decimals). A zero distance gives a zero sigma.
  // False, texts untouched, when F or T is not a position in Results or the
  // propagation fails (Error says why).
  bool CalculateDistance(int F, int T, int k, std::string &distanceText,
                         std::string &sigmaText);

  // ---- Exports (written atomically; an existing file is replaced only on
  // success and is otherwise left as it was) ----

  // Writes every row of `grid`, header first: each cell followed by a tab,
  // each line followed by CR LF, Windows-1250. False when writing failed.
  static bool SaveGrid(const TextGrid &grid, const std::string &fileName);
  // SaveGrid of the grid last filled; false when there is none.
  bool SaveTable(const std::string &fileName);

  // Writes Cov: one line per row, every element in the general number form
  // followed by one space, each line followed by CR LF. Does nothing and
  // returns false unless CoordsOk and CovOk; false when writing failed.
  bool SaveCov(const std::string &fileName);

private:
  // Bind by the full XML parser, for documents the streaming scan leaves.
  bool BindParsed(const std::string &fileName);

  bool DocumentLoaded = false;
  std::vector<kd::ResultsChild> Children; // element children of the document element
  kd::FileHandle File;                   // streamed document: the open file
  CovarianceRowText RowText;             // results in memory: the covariance rows
  CovarianceMatrix BoundCov;             // or the whole covariance
  std::vector<long double> BoundBlocks;   // and its PointBlocks
  std::uint64_t CovBegin = 0, CovEnd = 0; // its covariance text's bytes
  std::uint64_t CovLength = 0;           // and their count as text
};

// Outcome of ReadResults.
enum class ResultsOutcome {
  Shown,       // table and choosers filled: show the results window
  LoadFailed,  // file missing or not XML: show reader.Error, stop
  Not3d,       // show text 23 "All point have to be 3d. " (detail in Error)
  TableFailed, // an ellipsoid could not be computed: show reader.Error
};

// Reading without the table: Bind, both readings, the check and the
// whole-network centring when scSvpMode is 2. Shown when the points and
// their covariance can be used (reader.Error says why otherwise).
ResultsOutcome ReadAdjustedResults(ResultsReader &reader, const std::string &fileName,
                                   ScSvpMode scSvpMode, const PointList &network);

// ReadAdjustedResults after the reader has been bound (Bind or
// BindInMemory).
ResultsOutcome ReadBoundResults(ResultsReader &reader, ScSvpMode scSvpMode, const PointList &network);

// ReadResults after the reader has been bound.
ResultsOutcome ReadBoundResults(ResultsReader &reader, ScSvpMode scSvpMode, const PointList &network,
                                TextGrid &grid, std::vector<std::string> &chooser1,
                                std::vector<std::string> &chooser2);

// The whole "+Calculations+" reading on a fresh reader: Bind, both
// readings, the check, the whole-network centring when scSvpMode is 2
// (network = the network's point list), and the table.
ResultsOutcome ReadResults(ResultsReader &reader, const std::string &fileName,
                            ScSvpMode scSvpMode, const PointList &network, TextGrid &grid,
                            std::vector<std::string> &chooser1,
                            std::vector<std::string> &chooser2);
