#!/usr/bin/perl
# Builds a Windows .ico from XPM images: one 8-bit (256-colour palette) entry
# per image, with an AND mask for the transparent pixels. Only perl-base is
# needed, so the build has no image tools to install.
#
#   perl xpm_to_ico.pl OUT.ico IMAGE.xpm...
use strict;
use warnings;

die "usage: $0 OUT.ico IMAGE.xpm...\n" unless @ARGV >= 2;
my ($out, @inputs) = @ARGV;

sub read_xpm {
  my ($file) = @_;
  open(my $in, '<', $file) or die "$file: $!\n";
  local $/;
  my $text = <$in>;
  close($in);
  my @strings = $text =~ /"((?:[^"\\]|\\.)*)"/g;
  my ($width, $height, $colours, $chars) = split ' ', shift @strings;
  die "$file: only one character per pixel\n" unless $chars == 1;
  die "$file: more than 255 colours\n" if $colours > 255;
  # Index 0 stays black: transparent pixels use it, so XOR leaves the screen as it is.
  my @palette = ([0, 0, 0]);
  my %index;
  for my $line (splice(@strings, 0, $colours)) {
    my ($key, $value) = $line =~ /^(.)\s+c\s+(\S+)/ or die "$file: bad colour '$line'\n";
    if (lc $value eq 'none') {
      $index{$key} = -1;
    } elsif ($value =~ /^#([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$/) {
      push @palette, [hex $1, hex $2, hex $3];
      $index{$key} = $#palette;
    } else {
      die "$file: colour '$value' is not #RRGGBB or None\n";
    }
  }
  die "$file: expected $height rows\n" unless @strings == $height;
  my @rows;
  for my $row (@strings) {
    die "$file: row '$row' is not $width wide\n" unless length($row) == $width;
    push @rows, [map { exists $index{$_} ? $index{$_} : die "$file: unknown pixel '$_'\n" }
                 split //, $row];
  }
  return { width => $width, height => $height, palette => \@palette, rows => \@rows };
}

# The image data of one icon entry: header, palette, colour rows, mask rows;
# rows bottom-up and padded to four bytes, as in a BMP.
sub entry_bytes {
  my ($image) = @_;
  my ($width, $height) = @$image{qw(width height)};
  my $xor_stride = (($width * 8 + 31) >> 5) * 4;
  my $and_stride = (($width + 31) >> 5) * 4;
  my $bytes = pack('V l< l< v v V V l< l< V V', 40, $width, 2 * $height, 1, 8, 0,
                   ($xor_stride + $and_stride) * $height, 0, 0, 256, 0);
  for my $colour (0 .. 255) {
    my $rgb = $image->{palette}[$colour] // [0, 0, 0];
    $bytes .= pack('C4', $rgb->[2], $rgb->[1], $rgb->[0], 0);
  }
  my ($xor, $and) = ('', '');
  for my $row (reverse @{ $image->{rows} }) {
    my $line = pack('C*', map { $_ < 0 ? 0 : $_ } @$row);
    $xor .= $line . ("\0" x ($xor_stride - length $line));
    my $bits = join('', map { $_ < 0 ? '1' : '0' } @$row);
    my $mask = pack('B*', $bits);
    $and .= $mask . ("\0" x ($and_stride - length $mask));
  }
  return $bytes . $xor . $and;
}

my @images = map { read_xpm($_) } @inputs;
my @entries = map { entry_bytes($_) } @images;
my $ico = pack('v v v', 0, 1, scalar @images);
my $offset = 6 + 16 * @images;
for my $i (0 .. $#images) {
  my ($width, $height) = @{ $images[$i] }{qw(width height)};
  die "$inputs[$i]: icons are at most 256 pixels wide\n" if $width > 256 || $height > 256;
  # A colour count of 0 means 256 colours; 256 pixels are written as 0 too.
  $ico .= pack('C C C C v v V V', $width % 256, $height % 256, 0, 0, 1, 8,
               length $entries[$i], $offset);
  $offset += length $entries[$i];
}
$ico .= join('', @entries);
open(my $file, '>:raw', $out) or die "$out: $!\n";
print $file $ico;
close($file) or die "$out: $!\n";
