// Instances of SNMP table columns written by their INDEX clause as net-snmp
// writes them, and read back.
#include "snmp_instances.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

using namespace pellamar::names;

namespace {

constexpr const char* AccessIndexes = "s s i i:noAuthNoPriv=1,authNoPriv=2,authPriv=3";
constexpr const char* AddressIndexes = "t:unknown=0,ipv4=1,ipv6=2,ipv4z=3,ipv6z=4,dns=16 n";

struct InstanceRow {
  const char* row;
  const char* indexes;
  const char* arcs;
  const char* written;
};

// Each row feeds writing, reading and the round trip.
const InstanceRow InstanceRows[] = {
    {"integer", "i", "7", "7"},
    {"enumerated_by_label", "i:up=1,down=2", "2", "down"},
    {"enumerated_value_without_label", "i:up=1,down=2", "3", "3"},
    {"enumerated_value_beyond_64_bits", "i:up=1", "18446744073709551617", "18446744073709551617"},
    {"view_based_access", AccessIndexes, "6.112.117.98.108.105.99.0.3.1",
     "\"public\".\"\".3.noAuthNoPriv"},
    {"ipv4_after_its_type", AddressIndexes, "1.4.10.0.0.1", "ipv4.\"10.0.0.1\""},
    {"ipv6_after_its_type", AddressIndexes, "2.16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1",
     "ipv6.\"fe:80:00:00:00:00:00:00:00:00:00:00:00:00:00:01\""},
    {"ipv4_with_zone", AddressIndexes, "3.8.10.0.0.1.0.0.1.2", "ipv4z.\"10.0.0.1%258\""},
    {"ipv6_with_zone", AddressIndexes, "4.20.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.1.255.255.255.255",
     "ipv6z.\"00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:01%4294967295\""},
    {"ipv4_of_the_largest_octets", AddressIndexes, "1.4.255.255.255.255",
     "ipv4.\"255.255.255.255\""},
    {"address_of_another_length_as_string", AddressIndexes, "1.3.97.98.99", "ipv4.\"abc\""},
    {"ipv6_text_with_hyphens_as_string", AddressIndexes,
     "2.47.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48."
     "48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.48.45.48.49",
     "ipv6.\"00-00-00-00-00-00-00-00-00-00-00-00-00-00-00-01\""},
    {"string_that_reads_as_an_address_as_numbers", AddressIndexes, "1.8.49.48.46.48.46.48.46.49",
     "ipv4.8.49.48.46.48.46.48.46.49"},
    {"dns_name", AddressIndexes, "16.9.97.46.101.120.97.109.112.108.101", "dns.\"a.example\""},
    {"address_octet_beyond_255_as_numbers", AddressIndexes, "1.4.10.0.0.256", "ipv4.4.10.0.0.256"},
    {"unprintable_octet_as_numbers", "i s", "3.3.1.2.200", "3.3.1.2.200"},
    {"delete_as_numbers", "s", "1.127", "1.127"},
    {"tilde_quoted", "s", "1.126", "\"~\""},
    {"own_quote_as_numbers", "s", "2.34.97", "2.34.97"},
    {"other_quote_inside", "s", "2.39.97", "\"'a\""},
    {"fixed_length", "f6", "97.98.99.100.101.102", "'abcdef'"},
    {"fixed_length_then_integer", "f2 i", "97.98.7", "'ab'.7"},
    {"fixed_length_cut_short", "f6 i", "97.98", "97.98"},
    {"implied_string", "i m", "3.97.98.99", "3.'abc'"},
    {"implied_string_own_quote_as_numbers", "m", "97.39", "97.39"},
    {"ip_address", "a i:up=1", "10.0.0.1.1", "10.0.0.1.up"},
    {"ip_address_cut_short", "a i:up=1", "10.0.1", "10.0.1"},
    {"object_identifier", "o i:up=1", "3.1.3.6.1", "3.1.3.6.up"},
    {"implied_object_identifier", "p", "1.3.6", "1.3.6"},
    {"other_syntax_and_all_after_it_as_numbers", "x i:up=1 s", "5.1.1.97", "5.1.1.97"},
    {"arcs_after_the_last_index", "i:up=1", "1.1.2", "up.1.2"},
    {"length_beyond_the_arcs", "s i:up=1", "5.97.1", "5.97.1"},
    {"length_that_takes_every_arc_left", "s i:up=1", "2.97.98", "\"ab\""},
    {"empty_string", "s i", "0.5", "\"\".5"},
    {"column_number_before_a_rows_index", "i s", "4.1.97", "4.\"a\""},
    {"no_indexes", "", "1.2.3", "1.2.3"},
};

class InstanceWriting : public testing::TestWithParam<InstanceRow> {};

TEST_P(InstanceWriting, WritesAsNetSnmpDoes) {
  const InstanceRow& row = GetParam();
  EXPECT_EQ(writeInstance(row.indexes, row.arcs), row.written);
}

TEST_P(InstanceWriting, ReadsBackTheArcs) {
  const InstanceRow& row = GetParam();
  std::string fault;
  EXPECT_EQ(readInstance(row.indexes, row.written, fault).value_or("fault: " + fault), row.arcs);
}

INSTANTIATE_TEST_SUITE_P(Instances, InstanceWriting, testing::ValuesIn(InstanceRows),
                         [](const auto& row) { return std::string(row.param.row); });

struct FaultRow {
  const char* row;
  const char* indexes;
  const char* text;
  const char* fault;
};

const FaultRow FaultRows[] = {
    {"word_for_a_string", "i s", "3.myuser",
     "\"myuser\" stands where the index is an octet string, written \"...\""},
    {"unknown_label", AccessIndexes, "\"a\".\"\".3.noAuth",
     "\"noAuth\" is none of the named values of the index there: noAuthNoPriv, authNoPriv, "
     "authPriv"},
    {"string_for_an_integer", "i", "\"x\"", "\"x\" stands where the index is an integer"},
    {"label_without_named_values", "i", "up", "\"up\" stands where the index is an integer"},
    {"single_quotes_for_varying_length", "s", "'ab'",
     "'ab' stands where the index is an octet string, written \"...\""},
    {"double_quotes_for_implied", "m", "\"ab\"",
     "\"ab\" stands where the index is an IMPLIED octet string, written '...'"},
    {"double_quotes_for_fixed_length", "f6", "\"ab\"",
     "\"ab\" stands where the index is an octet string of 6 octets, written '...'"},
    {"fixed_length_one_short", "f6", "'abcde'", "'abcde' holds 5 octets where the index holds 6"},
    {"fixed_length_one_long", "f6", "'abcdefg'",
     "'abcdefg' holds 7 octets where the index holds 6"},
    {"quote_not_closed", "s", "\"ab", "the quoted string \"ab is not closed"},
    {"no_full_stop_after_a_quote", "s i", "\"ab\"7",
     "a full stop must follow the quoted string \"ab\""},
    {"after_the_last_index", "i", "1.up",
     "\"up\" stands where no index of the INDEX clause begins"},
    {"inside_an_index", "a i:up=1", "10.0.up",
     "\"up\" stands where no index of the INDEX clause begins"},
    {"string_for_an_address", "a", "\"10.0.0.1\"",
     "\"10.0.0.1\" stands where the index is an IpAddress, written as four numbers"},
    {"label_for_other_syntax", "x", "up", "\"up\" stands where the index is written as numbers"},
    {"empty_arc", "s i", "\"a\"..1", "an arc is empty"},
};

class InstanceFaults : public testing::TestWithParam<FaultRow> {};

TEST_P(InstanceFaults, SayWhatDoesNotFit) {
  const FaultRow& row = GetParam();
  std::string fault;
  EXPECT_EQ(readInstance(row.indexes, row.text, fault), std::nullopt);
  EXPECT_EQ(fault, row.fault);
}

INSTANTIATE_TEST_SUITE_P(Instances, InstanceFaults, testing::ValuesIn(FaultRows),
                         [](const auto& row) { return std::string(row.param.row); });

// Whatever the arcs, the text written reads back to them and holds only
// printable characters.
TEST(InstanceWriting, EveryWrittenInstanceReadsBack) {
  const char* const indexSets[] = {AccessIndexes, AddressIndexes, "f3 m",      "a o i:up=1",
                                   "s p",         "i f2 n",       "t:ipv4=1 s"};
  std::mt19937 random(27);
  for (int round = 0; round < 20000; ++round) {
    const char* indexes = indexSets[random() % std::size(indexSets)];
    std::string arcs;
    const std::size_t count = 1 + random() % 12;
    for (std::size_t arc = 0; arc < count; ++arc) {
      // Small numbers make lengths that fit; printable ones make strings.
      const std::uint64_t kind = random() % 4;
      const std::uint64_t value = kind == 0   ? random() % 5
                                  : kind == 1 ? 32 + random() % 95
                                  : kind == 2 ? random() % 256
                                              : random();
      if (arc > 0) {
        arcs += '.';
      }
      arcs += std::to_string(value);
    }
    const std::string written = writeInstance(indexes, arcs);
    std::string fault;
    ASSERT_EQ(readInstance(indexes, written, fault).value_or("fault: " + fault), arcs)
        << indexes << " wrote " << written;
    for (const char c : written) {
      ASSERT_TRUE(c >= ' ' && c <= '~') << written;
    }
  }
}

}  // namespace
