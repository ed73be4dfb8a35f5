#include <gtest/gtest.h>

#include <random>

#include "adjustment/adjust.h"
#include "adjustment/reader.h"
#include "net_builder.h"

using namespace kd::adj;

namespace {

std::string Worked() {
  return kd::adj::test::ReadText(KD_SOURCE_DIR "/tests/adjustment/data/worked.gfk");
}

TEST(Reader, ReadsTheDesktopDocument) {
  const Network net = ReadNetwork(Worked());
  EXPECT_EQ(net.description, "korvadim");
  EXPECT_EQ(net.axesXY, "sw");
  EXPECT_EQ(net.angles, "right-handed");
  EXPECT_DOUBLE_EQ(net.params.sigmaApr, 1.0);
  EXPECT_DOUBLE_EQ(net.params.tolAbs, 1000.0);
  EXPECT_FALSE(net.params.aposteriori);
  ASSERT_EQ(net.points.size(), 5u);
  EXPECT_EQ(net.points[4].id, "0904");
  EXPECT_TRUE(net.points[4].fixed[0] && net.points[4].fixed[2]);
  EXPECT_TRUE(net.points[1].adjusted[1]);
  EXPECT_EQ(net.points[1].line, 11);
  ASSERT_EQ(net.observations.size(), 10u);
  EXPECT_EQ(net.observations[0].kind, ObsKind::SlopeDistance);
  EXPECT_DOUBLE_EQ(net.observations[0].value, 100.4988);
  EXPECT_DOUBLE_EQ(net.observations[0].sigma, 2.0);
  // The height difference inside the set of station 2 keeps its own points.
  EXPECT_EQ(net.observations[4].kind, ObsKind::HeightDiff);
  EXPECT_EQ(net.observations[4].from, 1);
  EXPECT_EQ(net.observations[4].to, 2);
  // The gyro set is a set of its own.
  EXPECT_NE(net.observations[5].cluster, net.observations[1].cluster);
  const Cluster &v = net.clusters[net.observations[7].cluster];
  ASSERT_EQ(v.kind, ClusterKind::Vectors);
  EXPECT_DOUBLE_EQ(v.cov[0], 9.0);
  EXPECT_DOUBLE_EQ(v.cov[4], 9.0);
  EXPECT_DOUBLE_EQ(v.cov[8], 25.0);
  EXPECT_DOUBLE_EQ(v.cov[1], 0.0);
}

TEST(Reader, Numbers) {
  double v = 0;
  EXPECT_TRUE(ParseNumber(" 2.5 ", v));
  EXPECT_DOUBLE_EQ(v, 2.5);
  EXPECT_TRUE(ParseNumber("+1e-3", v));
  EXPECT_DOUBLE_EQ(v, 0.001);
  EXPECT_TRUE(ParseNumber("-.5", v));
  for (const char *bad : {"", " ", "1,5", "1.2.3", "nan", "inf", "1e999", "0x10", "+-1", "1 2", "abc"})
    EXPECT_FALSE(ParseNumber(bad, v)) << bad;
}

// Each faulty document must be refused with its line and a recognisable reason.
TEST(Reader, FaultsNameTheElementAndLine) {
  const std::string head =
      "<gama-xml>\n<network>\n<points-observations>\n"
      "<point id=\"1\" x=\"0\" y=\"0\" z=\"0\" fix=\"XYZ\"/>\n"
      "<point id=\"2\" x=\"100\" y=\"0\" z=\"0\" adj=\"XYZ\"/>\n";
  const std::string tail = "</points-observations>\n</network>\n</gama-xml>\n";
  struct Case {
    std::string body;
    int line;
    const char *reason;
  } cases[] = {
      {"<obs from=\"1\"><distance to=\"2\" val=\"100\" stdev=\"1\"/>", 0, "not well-formed"},
      {"<obs from=\"1\"><bogus to=\"2\"/></obs>\n", 6, "unknown element"},
      {"<obs from=\"1\"><distance to=\"2\" val=\"100\" stdev=\"1\" colour=\"red\"/></obs>\n", 6,
       "unknown attribute"},
      {"<point x=\"1\" y=\"1\" z=\"1\" adj=\"XYZ\"/>\n", 6, "\"id\" is missing"},
      {"<point id=\"2\" x=\"1\" y=\"1\" z=\"1\" adj=\"XYZ\"/>\n", 6, "defined twice (first on line 5)"},
      {"<obs from=\"1\">\n<distance to=\"9\" val=\"100\" stdev=\"1\"/></obs>\n", 7, "\"9\" is not defined"},
      {"<obs from=\"7\"><distance to=\"2\" val=\"100\" stdev=\"1\"/></obs>\n", 6, "station \"7\""},
      {"<obs from=\"1\"><distance to=\"2\" val=\"100\" stdev=\"0\"/></obs>\n", 6, "greater than zero"},
      {"<obs from=\"1\"><distance to=\"2\" val=\"100\" stdev=\"-2\"/></obs>\n", 6, "greater than zero"},
      {"<obs from=\"1\"><distance to=\"2\" val=\"100\" stdev=\"nan\"/></obs>\n", 6, "not a number"},
      {"<obs from=\"1\"><distance to=\"2\" val=\"1O0\" stdev=\"1\"/></obs>\n", 6, "not a number"},
      {"<obs from=\"1\"><distance to=\"1\" val=\"100\" stdev=\"1\"/></obs>\n", 6, "same point"},
      {"<vectors><vec from=\"1\" to=\"2\" dx=\"100\" dy=\"0\" dz=\"0\"/>\n"
       "<cov-mat dim=\"3\" band=\"2\">1 2 0 1 0 1</cov-mat></vectors>\n",
       7, "not positive definite"},
      {"<vectors><vec from=\"1\" to=\"2\" dx=\"100\" dy=\"0\" dz=\"0\"/>\n"
       "<cov-mat dim=\"3\" band=\"2\">1 0 0 1 0</cov-mat></vectors>\n",
       7, "needs 6 numbers, found 5"},
      {"<vectors><vec from=\"1\" to=\"2\" dx=\"100\" dy=\"0\" dz=\"0\"/></vectors>\n", 6, "needs a <cov-mat>"},
      {"<point id=\"3\" x=\"1\" y=\"1\" z=\"1\" fix=\"X\" adj=\"XY\"/>\n", 6, "both fixed and adjusted"},
      {"<point id=\"3\" x=\"1\" y=\"1\" adj=\"XYZ\"/>\n", 6, "no value of coordinate Z"},
      {"<point id=\"3\" x=\"1\" y=\"1\" z=\"1\" adj=\"XQ\"/>\n", 6, "only the coordinates"},
      {"stray text\n", 3, "unexpected text"},
      {"<point id=\"3\" x=\"1e300\" y=\"1\" z=\"1\" adj=\"XYZ\"/>\n", 6, "out of range"},
      {"<obs from=\"1\"><distance to=\"2\" val=\"1e15\" stdev=\"1\"/></obs>\n", 6, "out of range"},
  };
  for (const Case &c : cases) {
    try {
      ReadNetwork(head + c.body + tail);
      ADD_FAILURE() << "accepted: " << c.body;
    } catch (const InputError &e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
      if (c.line > 0) {
        EXPECT_EQ(e.line(), c.line) << e.what();
      }
    }
  }
}

TEST(Reader, EmptyNetworksAreRefused) {
  for (const char *doc :
       {"<gama-xml><network><points-observations/></network></gama-xml>",
        "<gama-xml><network><points-observations><point id=\"1\" x=\"0\" y=\"0\" z=\"0\" "
        "adj=\"XYZ\"/></points-observations></network></gama-xml>",
        "<gama-xml/>", "<other/>", "", "<gama-xml><network><points-observations><point id=\"1\" "
        "x=\"0\" y=\"0\" z=\"0\" fix=\"XYZ\"/><point id=\"2\" x=\"0\" y=\"9\" z=\"0\" fix=\"XYZ\"/>"
        "<obs from=\"1\"><distance to=\"2\" val=\"9\" stdev=\"1\"/></obs>"
        "</points-observations></network></gama-xml>"}) {
    EXPECT_THROW(ReadNetwork(doc), InputError) << doc;
  }
}

TEST(Reader, AcceptsGeneralForms) {
  const std::string doc =
      "<gama-local xmlns=\"http://example.org/g\">\r<network axes-xy=\"ne\" angles=\"left-handed\">\r"
      "<parameters sigma-apr=\"2\" sigma-act=\"aposteriori\"/>\r<points-observations>\r"
      "<obs from=\"A\"><direction to=\"B\" val=\"0\" stdev=\"3\"/></obs>\r"
      "<point id=\"A\" x=\"0\" y=\"0\" z=\"0\" fix=\"xy\"/>\r"
      "<point id=\"B\" x=\"10\" y=\"0\" z=\"0\" adj=\"xy\"/>\r"
      "<height-differences><dh from=\"A\" to=\"B\" val=\"0\" stdev=\"1\"/></height-differences>\r"
      "</points-observations></network></gama-local>";
  const Network net = ReadNetwork(doc);
  EXPECT_EQ(net.rootName, "gama-local");
  EXPECT_TRUE(net.params.aposteriori);
  EXPECT_DOUBLE_EQ(net.params.sigmaApr, 2);
  EXPECT_EQ(net.observations[0].to, 1);  // a point defined after its use
  EXPECT_EQ(net.observations[1].line, 8);
}

// Random damage to a valid document: the reader either accepts it or names
// a fault; accepted documents adjust or fail cleanly. Never a crash or hang.
TEST(Reader, SurvivesRandomMutations) {
  const std::string base = Worked();
  std::mt19937 rng(20261206);
  const std::string alphabet = "<>/=\"' .-+e0123456789abcdXYZ&;\n\t";
  int accepted = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string doc = base;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !doc.empty(); ++e) {
      const size_t pos = rng() % doc.size();
      switch (rng() % 5) {
        case 0: doc.erase(pos, 1 + rng() % 8); break;
        case 1: doc.insert(pos, 1, alphabet[rng() % alphabet.size()]); break;
        case 2: doc[pos] = alphabet[rng() % alphabet.size()]; break;
        case 3: {  // duplicate a random slice
          const size_t len = rng() % 60, from = rng() % doc.size();
          doc.insert(pos, doc.substr(from, len));
          break;
        }
        case 4: doc[pos] = static_cast<char>(rng() % 256); break;
      }
    }
    try {
      const Network net = ReadNetwork(doc);
      ++accepted;
      const AdjustmentResult r = Adjust(net);
      if (r.outcome == Outcome::Adjusted) {
        EXPECT_TRUE(r.cov.allFinite());
        EXPECT_EQ(r.cov.rows(), r.coordUnknowns);
      } else {
        EXPECT_FALSE(r.failure.empty());
      }
    } catch (const InputError &e) {
      ++refused;
      EXPECT_GT(std::string(e.what()).size(), 10u);
    }
  }
  EXPECT_GT(accepted, 10);
  EXPECT_GT(refused, 1000);
}

}  // namespace

namespace kd::adj {
namespace {

// A small document that declares one cluster of `vecs` vectors with a
// diagonal covariance (dim 3 * vecs).
std::string VectorCluster(int vecs) {
  std::string doc =
      "\xEF\xBB\xBF<gama-xml>\n<network>\n<points-observations>\n"
      "<point id=\"0\" x=\"0\" y=\"0\" z=\"0\" fix=\"XYZ\"/>\n";
  for (int i = 1; i <= vecs; ++i)
    doc += "<point id=\"" + std::to_string(i) + "\" x=\"" + std::to_string(i) +
           "\" y=\"0\" z=\"0\" adj=\"XYZ\"/>\n";
  doc += "<vectors>\n";
  for (int i = 1; i <= vecs; ++i)
    doc += "<vec from=\"0\" to=\"" + std::to_string(i) + "\" dx=\"" + std::to_string(i) +
           "\" dy=\"0\" dz=\"0\"/>\n";
  doc += "<cov-mat dim=\"" + std::to_string(3 * vecs) + "\" band=\"0\">";
  for (int i = 0; i < 3 * vecs; ++i)
    doc += "1 ";
  doc += "</cov-mat>\n</vectors>\n</points-observations>\n</network>\n</gama-xml>\n";
  return doc;
}

TEST(Reader, DeclaredSizesAreCheckedBeforeTheMemoryIsTaken) {
  // 3000 vectors: a dense 9000 x 9000 covariance with its factorisations
  // and the adjustment of 9000 unknowns need about 3.2 GiB; refused under a
  // 1 GiB limit before anything of that size is taken (or factorised).
  const std::string doc = VectorCluster(3000);
  try {
    ReadNetwork(doc, 1073741824.0);
    ADD_FAILURE() << "accepted";
  } catch (const InputError &e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("dim 9000 would need about 3.2 GiB"), std::string::npos) << what;
    EXPECT_NE(what.find("more than the 1.0 GiB"), std::string::npos) << what;
  }
  // The same shape, small, is read (also after a byte-order mark).
  const Network net = ReadNetwork(VectorCluster(4), 1073741824.0);
  EXPECT_EQ(net.points.size(), 5u);
}

}  // namespace
}  // namespace kd::adj
