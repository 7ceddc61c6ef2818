# The CSV that "vorlanix-cli export FILE --csv" writes for the file of
# export_cpu.cpp (two values per record, a logger clock noted at +01:00): the
# yardstick of the export's speed. Run: LC_ALL=C awk -f bench/export_csv.awk FILE
BEGIN { FS = "\t"; ORS = "\r\n"; print "Time,Temperature [°C],Humidity [%RH]" }
{ sub(/\r$/, "") }
$1 ~ /^ *[0-9][0-9]?\.[0-9][0-9]?\.[0-9][0-9][0-9][0-9] +[0-9][0-9]?:[0-9][0-9] *$/ {
    split($1, s, /[.: ]+/)
    v1 = $2; v2 = $3; gsub(/ /, "", v1); gsub(/ /, "", v2); sub(/,/, ".", v1); sub(/,/, ".", v2)
    printf "%04d-%02d-%02dT%02d:%02d:00+01:00,%s,%s\r\n", s[3], s[2], s[1], s[4], s[5], v1, v2
}
