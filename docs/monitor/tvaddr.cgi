#!/usr/bin/perl
# Answers the caller's IPv4 address in dotted form as plain text, nothing else.
use strict;
use warnings;

my $address = $ENV{REMOTE_ADDR} // '';
$address =~ s/^::ffff://i;    # an IPv4 caller on a dual-stack server
$address = '' unless $address =~ /^\d{1,3}(?:\.\d{1,3}){3}$/;
print "Content-Type: text/plain\r\nCache-Control: no-store\r\n\r\n$address";
