#!/usr/bin/perl
# Answers the host name under which this server sees the caller (the caller's
# address when it has no reverse name) as plain text, nothing else.
use strict;
use warnings;
use Socket qw(AF_INET inet_aton);

my $address = $ENV{REMOTE_ADDR} // '';
$address =~ s/^::ffff://i;
my $name = '';
if ($address =~ /^\d{1,3}(?:\.\d{1,3}){3}$/) {
    $name = $ENV{REMOTE_HOST} // '';
    $name = '' if $name eq $address;
    $name ||= gethostbyaddr(inet_aton($address), AF_INET) // $address;
}
print "Content-Type: text/plain\r\nCache-Control: no-store\r\n\r\n$name";
