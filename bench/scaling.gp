# Cost per item of the scaling runs, one line per entry point, from the benchmark's CSV.
#   gnuplot -e "csv='build-bench/bench.csv'; out='scaling.svg'" bench/scaling.gp
set terminal svg size 720,420 font "sans,12" background "white"
set output out
set datafile separator ","
set logscale x
set xlabel "items per call"
set ylabel "ns per item (library)"
set yrange [0:*]
set key top right
set grid
set title "Cost per item, qemu-i386, natives that do nothing"
names = system("awk -F, '$1==\"scaling\"{print $2}' ".csv." | uniq | tr '\\n' ' '")
plot for [n in names] "< awk -F, '$1==\"scaling\" && $2==\"".n."\"' ".csv using 3:7 with linespoints lw 2 title n
