Caltech paleomagnetic file, site XQ
demag step 300C
S1      12.3  45.6                        3.2
S2     350.1  40.2                        5.0
S3     200.5 -30.8                        8.5
S4      15.0  62.0                        2.5
S5      25.4  50.3                        4.4
