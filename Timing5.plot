set output 'Timing5.svg
set terminal svg
set multiplot
set grid
set title "Clients duration"
set xlabel "audio cycles"
set ylabel "usec"
plot "/dev/null" using 10 title "pacat/37" with lines
unset multiplot
unset output
